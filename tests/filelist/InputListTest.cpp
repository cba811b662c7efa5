#include <QAbstractItemModelTester>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "filelist/InputListModel.h"
#include "gui/ListView.h"
#include "gui/MousePointer.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

TEST(InputListModel, AppendsAtTheEndAndKeepsTextAndDuplicates) {
  InputListModel list;
  QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Fatal);
  list.Append(u"/v/b.avi"_s);
  list.Append(QStringList{u"/v/a.avi"_s, u" /v/a.avi "_s, u"/v/b.avi"_s});
  EXPECT_EQ(list.Entries(),
            (QStringList{u"/v/b.avi"_s, u"/v/a.avi"_s, u" /v/a.avi "_s, u"/v/b.avi"_s}));
  EXPECT_EQ(list.Text(3), u" /v/a.avi "_s);
  EXPECT_EQ(list.Text(0), QString());
  EXPECT_EQ(list.Text(5), QString());
  list.Remove(1);
  EXPECT_EQ(list.Text(1), u"/v/a.avi"_s);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

class InputListRemoval : public testing::Test {
 protected:
  void SetUp() override {
    form->InputList().Append(QStringList{u"/v/1.avi"_s, u"/v/2.avi"_s, u"/v/3.avi"_s});
    form->show();
  }
  void SelectEntry(int position) {
    form->ListView1()->setCurrentIndex(form->InputList().index(position - 1));
  }

  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(InputListRemoval, DownArrowDeleteAndDoubleClickEachRemoveTheCurrentEntry) {
  SelectEntry(2);
  QTest::keyClick(form->ListView1(), Qt::Key_Down);
  EXPECT_EQ(form->InputList().Entries(), (QStringList{u"/v/1.avi"_s, u"/v/3.avi"_s}));
  SelectEntry(1);
  QTest::keyClick(form->ListView1(), Qt::Key_Delete);
  EXPECT_EQ(form->InputList().Entries(), QStringList{u"/v/3.avi"_s});
  SelectEntry(1);
  QTest::mouseDClick(form->ListView1()->viewport(), Qt::LeftButton, {},
                     form->ListView1()->visualRect(form->InputList().index(0)).center());
  EXPECT_EQ(form->InputList().Count(), 0);
  QTest::keyClick(form->ListView1(), Qt::Key_A);  // an empty list: nothing, no box
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(InputListRemoval, NothingIsRemovedWithoutACurrentEntryOrUnderTheHourglass) {
  form->ListView1()->setCurrentIndex({});
  QTest::keyClick(form->ListView1(), Qt::Key_Delete);
  EXPECT_EQ(form->InputList().Count(), 3);
  SelectEntry(1);
  form->SetMousePointer(mouse_pointer::kBusy);
  QTest::keyClick(form->ListView1(), Qt::Key_Delete);
  form->ListView1_DblClick();
  EXPECT_EQ(form->InputList().Count(), 3);
}

TEST_F(InputListRemoval, ClearListWorksUnderTheHourglassToo) {
  form->SetMousePointer(mouse_pointer::kBusy);
  form->PushButton(7)->click();
  EXPECT_EQ(form->InputList().Count(), 0);
  form->PushButton(7)->click();  // an empty list: nothing, no report
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kBusy);
}

}  // namespace
}  // namespace vistarel
