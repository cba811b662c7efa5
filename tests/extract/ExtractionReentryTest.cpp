// What the user can do while "Start Extracting Metadata" yields, and what a run
// may not do while an export reads the table.
#include "base/PathHelpers.h"
#include "extract/RunFixture.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

class ExtractionReentry : public test::RunFixture {
 protected:
  void AddThree() {
    for (const QString& name : {u"a.mp4"_s, u"b.mp4"_s, u"c.mp4"_s})
      Add(u"mp4-h264-aac.mp4"_s, name);
  }
};

TEST_F(ExtractionReentry, ClearingTheInputListDuringARunDoesNotDisturbIt) {
  AddThree();
  AtNextYield([&] { form->PushButton(7)->click(); });
  Press();
  EXPECT_EQ(form->InputList().Count(), 0);
  EXPECT_EQ(table().RowCount(), 3);
  EXPECT_EQ(FileNameOf(table().Cell(3, 1)), u"c.mp4"_s);
  ASSERT_EQ(progress.size(), 4u);
  EXPECT_DOUBLE_EQ(progress[2], 100);
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
}

TEST_F(ExtractionReentry, ASecondPressWhileARunIsActiveIsIgnored) {
  AddThree();
  WhenRowsReach(1, [&] { form->PushButton(2)->click(); });
  Press();
  EXPECT_EQ(table().RowCount(), 3);
  EXPECT_EQ(Messages(), QStringList{u"Done."_s});
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
}

TEST_F(ExtractionReentry, TheResultsClearListIsRefusedWhileARunFillsRows) {
  AddThree();
  WhenRowsReach(2, [&] { form->PushButton(6)->click(); });
  Press();
  EXPECT_EQ(table().RowCount(), 3);
  EXPECT_EQ(FileNameOf(table().Cell(1, 1)), u"a.mp4"_s);
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
  // After the run the button works again.
  form->PushButton(6)->click();
  EXPECT_EQ(table().RowCount(), 0);
}

TEST_F(ExtractionReentry, AnExportDuringARunReadsTheRowsThatExist) {
  AddThree();
  WhenRowsReach(2, [&] { form->PushButton(4)->click(); });
  Press();
  const QStringList lines = fakes.clipboard.text.split(u"\r\n"_s, Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[1].startsWith(tree.Path(u"b.mp4"_s)));
  EXPECT_EQ(table().RowCount(), 3);
  EXPECT_TRUE(form->ResultTableInUse().IsFree());
}

TEST_F(ExtractionReentry, WhileAnExportReadsTheTableNoRunStartsAndNothingIsCleared) {
  AddThree();
  Press();
  fakes.dialogs.boxes.clear();
  AtNextYield([&] {
    EXPECT_FALSE(form->ResultTableInUse().IsFree());
    form->PushButton(2)->click();
    form->PushButton(6)->click();
  });
  form->PushButton(4)->click();
  EXPECT_EQ(fakes.clipboard.text.count(u"\r\n"_s), 3);
  EXPECT_EQ(table().RowCount(), 3);
  EXPECT_FALSE(Messages().contains(u"Done."_s));
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
}

TEST_F(ExtractionReentry, ClosingTheWindowDuringARunEndsItAtItsYield) {
  AddThree();
  form->show();
  WhenRowsReach(1, [&] { form->close(); });
  Press();
  EXPECT_TRUE(form->Pump().IsClosing());
  EXPECT_EQ(table().RowCount(), 1);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());  // no "Done."
  EXPECT_TRUE(form->ResultTableInUse().IsFree());
}

}  // namespace
}  // namespace vistarel
