#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>

#include <gtest/gtest.h>

#include "base/Failure.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/ListView.h"
#include "gui/ProgressBar.h"
#include "gui/WindowPlacement.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

class Form1Layout : public testing::Test {
 protected:
  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();

  // Design rectangle in twips, as pixels at this window's density.
  QRect Design(int left, int top, int width, int height) const {
    return {form->Px(left), form->Px(top), form->Px(width), form->Px(height)};
  }
};

TEST_F(Form1Layout, ControlsSitAtTheirDesignPlacesWithTheirCaptions) {
  struct Expected {
    int number;
    const char16_t* caption;
    int left, top, width, height;
  };
  const Expected buttons[] = {
      {5, u"Help", 120, 120, 7800, 405},
      {1, u"Add Video File/s", 120, 3250, 3840, 405},
      {3, u"Add All Video File/s In Folder", 4080, 3250, 3840, 405},
      {7, u"Clear List", 120, 3760, 3840, 405},
      {10, u"Load Sample/Example Files", 4080, 3760, 3840, 405},
      {2, u"Start Extracting Metadata", 120, 4270, 7800, 405},
      {8, u"Save Results As Text File", 120, 7920, 3840, 405},
      {9, u"Save Results As Excel File", 4080, 7920, 3840, 405},
      {4, u"Copy Results To Clipboard", 120, 8430, 3840, 405},
      {6, u"Clear List", 4080, 8430, 3840, 405},
  };
  for (const Expected& b : buttons) {
    SCOPED_TRACE(b.number);
    QPushButton* button = form->PushButton(b.number);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromUtf16(b.caption));
    EXPECT_EQ(button->geometry(), Design(b.left, b.top, b.width, b.height));
    EXPECT_EQ(button->font().family(), u"Arial"_s);
    EXPECT_TRUE(button->font().bold());
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 11.25);
  }
  EXPECT_EQ(form->ListView1()->geometry(), Design(120, 630, 7800, 2535));
  EXPECT_EQ(form->ProgressBar1()->geometry(), Design(120, 4790, 7800, 405));
  EXPECT_EQ(form->ListView2()->geometry(), Design(120, 5295, 7800, 2535));
  EXPECT_EQ(form->ProgressBar1()->text(), u"Progress Bar"_s);
  EXPECT_EQ(form->ProgressBar1()->Value(), 0);
}

TEST_F(Form1Layout, WindowIsFixedSizedWithMinimiseButNoMaximise) {
  EXPECT_EQ(form->size(), QSize(form->Px(8040), form->Px(8940)));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(form->windowTitle(), u"Vistarel"_s);
  EXPECT_FALSE(form->windowIcon().isNull());
  EXPECT_EQ(form->font().family(), u"Arial"_s);
  EXPECT_DOUBLE_EQ(form->font().pointSizeF(), 9);
  EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
}

// The main window's frame at twice the scale is 1074 x 1215: centred on each
// axis it fits on, at the area's start on the others, so that its title bar
// and its top-left corner stay on the screen.
TEST(CentredPosition, KeepsTheTitleBarOfAFrameLargerThanTheAreaOnIt) {
  const QSize big(1074, 1215);
  EXPECT_EQ(CentredPosition({538, 619}, {0, 0, 1280, 1024}), QPoint(371, 202));  // fits
  EXPECT_EQ(CentredPosition(big, {0, 0, 1280, 1024}), QPoint(103, 0));
  // The second screen, under a top panel.
  EXPECT_EQ(CentredPosition(big, {1280, 28, 1280, 996}), QPoint(1383, 28));
  EXPECT_EQ(CentredPosition(big, {0, 0, 1024, 768}), QPoint(0, 0));
}

TEST_F(Form1Layout, TablesCarryTheirTipTexts) {
  EXPECT_EQ(form->ListView1()->toolTip(),
            u"Drag and drop files here. Double-click item to remove it. Move | line to right and "
            "out of window to reveal full names."_s);
  EXPECT_EQ(form->ListView2()->toolTip(),
            u"Move | line to right and out of window to reveal full names."_s);
}

TEST_F(Form1Layout, TabOrderStartsAtTheResultTableWhichHoldsTheFocus) {
  form->show();
  form->activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), form->ListView2());
  std::vector<QWidget*> chain;
  QWidget* next = form->ListView2();
  for (int i = 0; i < 12; ++i, next = next->nextInFocusChain()) {
    while (next->focusPolicy() == Qt::NoFocus || next->parentWidget() != form.get()) {
      next = next->nextInFocusChain();
    }
    chain.push_back(next);
  }
  const std::vector<QWidget*> expected = {
      form->ListView2(),     form->ListView1(),     form->PushButton(8),  form->PushButton(1),
      form->PushButton(3),   form->PushButton(7),   form->PushButton(10), form->PushButton(2),
      form->PushButton(5),   form->PushButton(4),   form->PushButton(6),  form->PushButton(9)};
  EXPECT_EQ(chain, expected);
}

TEST_F(Form1Layout, StartUpCreatesTheFiftyResultColumnsAndTheInputColumn) {
  const ResultTableModel& table = form->ResultTable();
  ASSERT_EQ(table.ColumnCount(), 50);
  EXPECT_EQ(table.HeaderText(1), u"Video File/s"_s);
  EXPECT_EQ(table.HeaderText(10), u"Video - Codec"_s);
  EXPECT_EQ(table.HeaderText(36), u"Audio - Channel(s)"_s);
  EXPECT_EQ(table.HeaderText(39), u"Audio - Stream Size"_s);
  EXPECT_EQ(table.HeaderText(40), u"File System - Name"_s);
  EXPECT_EQ(table.HeaderText(50), u"File System - Type"_s);
  EXPECT_EQ(table.ColumnWidth(1), 3000);
  EXPECT_EQ(table.ColumnWidth(2), 2000);
  EXPECT_EQ(table.ColumnWidth(3), 2000);
  EXPECT_EQ(table.ColumnWidth(4), ResultTableModel::kDefaultColumnWidth);
  EXPECT_EQ(form->ListView2()->header()->sectionSize(0), form->Px(3000));
  EXPECT_EQ(form->ListView2()->header()->sectionSize(1), form->Px(2000));

  EXPECT_EQ(form->InputList().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
            u" Video File/s"_s);
  EXPECT_EQ(form->InputList().ColumnWidth(), 7000);
  EXPECT_EQ(form->ListView1()->header()->sectionSize(0), form->Px(7000));
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(Form1Layout, HelpShowsOneOkBoxWithoutIcon) {
  form->PushButton(5)->click();
  ASSERT_EQ(fakes.dialogs.boxes.size(), 1u);
  const auto& box = fakes.dialogs.boxes[0];
  EXPECT_EQ(box.text, u"Questions? Please contact Team Quorvane at https://quorvane.example/contact"_s);
  EXPECT_EQ(box.title, u"Vistarel"_s);
  EXPECT_EQ(box.icon, BoxIcon::None);
  EXPECT_EQ(box.buttons, BoxButtons::Ok);
}

TEST_F(Form1Layout, AFailingHelpIsReportedAtLine100AndTheWindowStays) {
  fakes.dialogs.onBox = [](const test::ShownBox& box) {
    if (box.title == u"Vistarel"_s) throw Failure(u"Out of string space"_s);
  };
  form->PushButton(5)->click();
  const auto reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].text,
            u"Out of string space\r\nin Ostrivel2016/11/03.Form1.PushButton5_Click at line 100\r\r"
            "Please email screenshot of this message to support@quorvane.example"_s);
  EXPECT_EQ(reports[0].icon, BoxIcon::Warning);
  EXPECT_EQ(reports[0].buttons, BoxButtons::Ok);
  EXPECT_FALSE(form->Pump().IsClosing());
}

TEST_F(Form1Layout, ResultsClearListRemovesRowsAndKeepsEveryColumn) {
  ResultTableModel& table = form->ResultTable();
  table.AppendColumn(u"File General - Length"_s);
  table.AddRow(u"/v/a.mp4"_s);
  table.AddRow(u"/v/b.mp4"_s);
  form->PushButton(6)->click();
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_EQ(table.ColumnCount(), 51);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

// Renders the real window for a person to look at.
TEST_F(Form1Layout, RendersAScreenshot) {
  form->InputList().Append(u"/home/archive/clips/interview.mp4"_s);
  form->InputList().Append(u"/home/archive/clips/b-roll.avi"_s);
  const QString folder = QString::fromUtf8(VISTAREL_BINARY_DIR) + u"/screenshots"_s;
  QDir().mkpath(folder);
  const QString file = folder + u"/main-window.png"_s;
  ASSERT_TRUE(form->grab().save(file));
}

}  // namespace
}  // namespace vistarel
