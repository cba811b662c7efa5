#include <QPushButton>

#include <gtest/gtest.h>

#include "base/Failure.h"
#include "export/CopyListToClipboard.h"
#include "extract/ResultTableModel.h"
#include "platform/EventPump.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// The worked example: columns A and Size; rows (x.mp4, 10 MB) and (long name.avi, empty).
void FillExample(ResultTableModel& table) {
  table.AppendColumn(u"A"_s);
  table.AppendColumn(u"Size"_s);
  const int first = table.AddRow(u"x.mp4"_s);
  table.SetSubItem(first, 1, u"10 MB"_s);
  table.AddRow(u"long name.avi"_s);
  table.SetIncluded(1, true);
  table.SetIncluded(2, true);
}

class ClipboardLayout : public testing::Test {
 protected:
  ResultTableModel table;
  NoEventPump pump;
};

TEST_F(ClipboardLayout, TheWorkedExampleByteForByte) {
  FillExample(table);
  EXPECT_EQ(ClipboardText(table, pump), u"x.mp4        \t10 MB\t\r\nlong name.avi\t     \t\r\n"_s);
}

TEST_F(ClipboardLayout, HeadersDoNotCountAndAnEmptyColumnIsJustItsTab) {
  table.AppendColumn(u"A very long header"_s);
  table.AppendColumn(u"Empty"_s);
  table.AppendColumn(u"B"_s);
  for (const QString& name : {u"a"_s, u"bb"_s}) {
    const int row = table.AddRow(name);
    table.SetSubItem(row, 2, u"z"_s);
    table.SetIncluded(row, true);
  }
  EXPECT_EQ(ClipboardText(table, pump), u"a \t\tz\t\r\nbb\t\tz\t\r\n"_s);
}

TEST_F(ClipboardLayout, ExcludedRowsStillSetTheWidths) {
  FillExample(table);
  const int wide = table.AddRow(u"a much longer file name.avi"_s);
  table.SetIncluded(wide, false);
  EXPECT_EQ(ClipboardText(table, pump),
            u"x.mp4                      \t10 MB\t\r\nlong name.avi              \t     \t\r\n"_s);
}

TEST_F(ClipboardLayout, TabsAndLineBreaksInsideCellsBecomeBlanks) {
  table.AppendColumn(u"File"_s);
  table.AppendColumn(u"Title"_s);
  const int row = table.AddRow(u"/v/odd\tname\n.mp4"_s);
  table.SetSubItem(row, 1, u"line one\r\nline two"_s);
  table.SetIncluded(row, true);
  EXPECT_EQ(ClipboardText(table, pump), u"/v/odd name .mp4\tline one  line two\t\r\n"_s);
}

class ClipboardButton : public testing::Test {
 protected:
  void Press() { form->PushButton(4)->click(); }
  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(ClipboardButton, AnEmptyTableLeavesTheClipboardAloneAndStillTellsHowToPaste) {
  fakes.clipboard.text = u"kept"_s;
  Press();
  EXPECT_EQ(fakes.clipboard.text, u"kept"_s);
  EXPECT_EQ(fakes.clipboard.clears + fakes.clipboard.sets, 0);
  ASSERT_EQ(fakes.dialogs.boxes.size(), 1u);
  EXPECT_EQ(fakes.dialogs.boxes[0].text,
            u"Results have been copied to the clipboard.\r\rClick a text area where you normally "
            "type and press Ctrl+V to paste the clipboard."_s);
  EXPECT_EQ(fakes.dialogs.boxes[0].title, u"Vistarel"_s);
  EXPECT_EQ(fakes.dialogs.boxes[0].icon, BoxIcon::None);
}

TEST_F(ClipboardButton, RowsThatAllFailTheFilterClearTheClipboardToEmptyText) {
  fakes.clipboard.text = u"old"_s;
  form->ResultTable().AddRow(u"/v/a.mp4"_s);
  Press();
  EXPECT_EQ(fakes.clipboard.clears, 1);
  EXPECT_EQ(fakes.clipboard.sets, 1);
  EXPECT_EQ(fakes.clipboard.text, QString());
}

TEST_F(ClipboardButton, IncludedRowsArriveWithEveryColumn) {
  ResultTableModel& table = form->ResultTable();
  const int row = table.AddRow(u"/v/a.mp4"_s);
  table.SetSubItem(row, 1, u"MPEG-4"_s);
  table.SetIncluded(row, true);
  Press();
  const QString text = fakes.clipboard.text;
  EXPECT_TRUE(text.startsWith(u"/v/a.mp4\tMPEG-4\t"_s));
  EXPECT_EQ(text.count(u'\t'), 50);
  EXPECT_TRUE(text.endsWith(u"\t\r\n"_s));
}

class BusyClipboard final : public IClipboard {
 public:
  void Clear() override { throw Failure(u"The clipboard is held by another program."_s); }
  void SetText(const QString&) override {}
  QString Text() override { return {}; }
};

TEST(ClipboardFailure, IsReportedAtLine100AndTheHowToPasteBoxFollows) {
  test::TestPlatform fakes;
  BusyClipboard busy;
  Platform platform = fakes.platform();
  platform.clipboard = &busy;
  Form1 form(platform);
  form.ResultTable().AddRow(u"/v/a.mp4"_s);
  form.PushButton(4)->click();
  ASSERT_EQ(fakes.dialogs.boxes.size(), 2u);
  EXPECT_TRUE(fakes.dialogs.boxes[0].text.startsWith(
      u"The clipboard is held by another program.\r\nin Ostrivel2016/11/03.Form1."
      "PushButton4_Click at line 100"_s));
  EXPECT_TRUE(fakes.dialogs.boxes[1].text.startsWith(u"Results have been copied"_s));
}

}  // namespace
}  // namespace vistarel
