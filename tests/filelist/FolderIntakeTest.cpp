#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "filelist/InputListModel.h"
#include "gui/MousePointer.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// "Add All Video File/s In Folder" on the real window.
class FolderIntake : public testing::Test {
 protected:
  void SetUp() override {
    tree.File(u"V/a.avi"_s);
    tree.File(u"V/S1/b.avi"_s);
    tree.File(u"V/S1/T/c.avi"_s);
    tree.File(u"V/S2/d.avi"_s);
    tree.File(u"V/S2/e.txt"_s);
  }
  void Press(const QString& extension, const QString& folder) {
    fakes.dialogs.inputAnswers.push_back(extension);
    fakes.dialogs.folderAnswers.push_back(folder);
    form->PushButton(3)->click();
  }
  // Runs `action` at the walk's first yield.
  void AtFirstYield(std::function<void()> action) {
    QTimer::singleShot(0, form.get(), std::move(action));
  }

  test::TempTree tree;
  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
  QStringList levelOrder = {tree.Path(u"V/a.avi"_s), tree.Path(u"V/S1/b.avi"_s),
                            tree.Path(u"V/S2/d.avi"_s), tree.Path(u"V/S1/T/c.avi"_s)};
};

TEST_F(FolderIntake, AsksForTheExtensionThenTheFolderAndListsTheTreeUnderTheHourglass) {
  int pointerDuringWalk = -1;
  AtFirstYield([&] { pointerDuringWalk = form->MousePointer(); });
  Press(u"avi"_s, tree.Path(u"V"_s));

  ASSERT_EQ(fakes.dialogs.inputBoxes.size(), 1u);
  const test::ShownDialog& input = fakes.dialogs.inputBoxes.front();
  EXPECT_EQ(input.prompt,
            u"Enter file extension to load:\r\r(* for all files, txt for all txt "
            u"files, doc for all doc files, etc.)"_s);
  EXPECT_EQ(input.title, u"Vistarel"_s);
  EXPECT_EQ(input.defaultAnswer, u"avi"_s);
  ASSERT_EQ(fakes.dialogs.folderDialogs.size(), 1u);
  EXPECT_EQ(fakes.dialogs.folderDialogs.front().title, u"Please select folder:"_s);

  EXPECT_EQ(form->InputList().Entries(), levelOrder);
  EXPECT_EQ(pointerDuringWalk, mouse_pointer::kBusy);
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kDefault);
  Press(u"txt"_s, tree.Path(u"V"_s));  // a second run appends again
  EXPECT_EQ(form->InputList().Count(), 5);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(FolderIntake, CancellingEitherDialogAddsNothingAndLeavesThePointer) {
  form->SetMousePointer(mouse_pointer::kCustom);
  Press(QString(), tree.Path(u"V"_s));
  EXPECT_TRUE(fakes.dialogs.folderDialogs.empty());
  fakes.dialogs.folderAnswers.clear();
  Press(u"avi"_s, QString());
  EXPECT_EQ(fakes.dialogs.folderDialogs.size(), 1u);
  EXPECT_EQ(form->InputList().Count(), 0);
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kCustom);
}

TEST_F(FolderIntake, ClearDuringTheWalkEmptiesTheListAndTheWalkStillAddsAllItsFiles) {
  form->InputList().Append(u"/earlier.avi"_s);
  AtFirstYield([&] { form->PushButton(7)->click(); });
  Press(u"avi"_s, tree.Path(u"V"_s));
  EXPECT_EQ(form->InputList().Entries(), levelOrder);
}

TEST_F(FolderIntake, ClosingTheWindowDuringTheWalkEndsItQuietly) {
  AtFirstYield([&] { form->close(); });
  Press(u"avi"_s, tree.Path(u"V"_s));
  EXPECT_EQ(form->InputList().Count(), 0);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

}  // namespace
}  // namespace vistarel
