#include <QPushButton>

#include <gtest/gtest.h>

#include "filelist/AddFiles.h"
#include "filelist/InputListModel.h"
#include "gui/QtDialogs.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

class AddFiles : public testing::Test {
 protected:
  void Choose(const QStringList& paths) { fakes.dialogs.openAnswers.push_back(paths); }
  void Press() { form->PushButton(1)->click(); }

  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(AddFiles, ShowsTheDialogWithItsTitleAndFilters) {
  Press();
  ASSERT_EQ(fakes.dialogs.openDialogs.size(), 1u);
  const auto& dialog = fakes.dialogs.openDialogs[0];
  EXPECT_EQ(dialog.title, u"Add File/s - Hold Ctrl or Shift to select multiple files"_s);
  ASSERT_EQ(dialog.filters.size(), 2);
  EXPECT_EQ(dialog.filters[0].description,
            u"Video Files (*.avi;*.mpg;*.mpeg;*.flv;*.wmv;*.mov;*.mp4)"_s);
  EXPECT_EQ(dialog.filters[1].description, u"All Files (*.*)"_s);
  // Cancel: nothing added, nothing shown.
  EXPECT_EQ(form->InputList().Count(), 0);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(AddFiles, TheRealDialogGetsFiltersQtCanMatch) {
  const QList<FileFilter> filters = AddFilesFilters();
  EXPECT_EQ(QtNameFilter(filters[0]),
            u"Video Files (*.avi;*.mpg;*.mpeg;*.flv;*.wmv;*.mov;*.mp4) "
            u"(*.avi *.mpg *.mpeg *.flv *.wmv *.mov *.mp4)"_s);
  EXPECT_EQ(QtNameFilter(filters[1]), u"All Files (*.*) (*)"_s);
}

TEST_F(AddFiles, AppendsTheChosenFilesInTheDialogsOrderDuplicatesIncluded) {
  Choose({u"/clips/b.avi"_s, u"/clips/a.avi"_s});
  Press();
  Choose({u"/clips/a.avi"_s});
  Press();
  Choose({u"//x.avi"_s, u"//y.avi"_s});  // a root folder joined with a separator
  Press();
  EXPECT_EQ(form->InputList().Entries(),
            (QStringList{u"/clips/b.avi"_s, u"/clips/a.avi"_s, u"/clips/a.avi"_s, u"/x.avi"_s,
                         u"/y.avi"_s}));
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(AddFiles, ASelectionOverTheBufferIsRefusedAsAWhole) {
  // Folder "/f" and its separator, names of 9 characters and theirs, a last name
  // of L characters, the closing character.
  auto selection = [](int names, int lastNameLength) {
    QStringList paths;
    for (int i = 0; i < names - 1; ++i) paths << u"/f/"_s + QString(9, u'a');
    paths << u"/f/"_s + QString(lastNameLength, u'b');
    return paths;
  };
  // 3 + 2998 * 10 + (L + 1) + 1 characters.
  const QStringList fits = selection(2999, 15);  // exactly 30000
  ASSERT_EQ(SelectionBufferLength(fits), 30000);
  const QStringList tooMany = selection(2999, 16);  // 30001
  ASSERT_EQ(SelectionBufferLength(tooMany), 30001);

  Choose(fits);
  Press();
  EXPECT_EQ(form->InputList().Count(), 2999);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());

  form->InputList().Clear();
  Choose(tooMany);
  Press();
  EXPECT_EQ(form->InputList().Count(), 0);
  ASSERT_EQ(fakes.dialogs.boxes.size(), 1u);
  const auto& box = fakes.dialogs.boxes[0];
  EXPECT_EQ(
      box.text,
      u"You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."_s);
  EXPECT_EQ(box.title, u"Vistarel"_s);
  EXPECT_EQ(box.icon, BoxIcon::None);
  EXPECT_EQ(box.buttons, BoxButtons::Ok);
}

TEST_F(AddFiles, TheRootFolderCountsItsOwnSeparatorOnce) {
  EXPECT_EQ(SelectionBufferLength({u"/x.avi"_s}), 1 + 1 + 5 + 1 + 1);
  EXPECT_EQ(SelectionBufferLength({u"/v/x.avi"_s, u"/v/yy.avi"_s}), 2 + 1 + 5 + 1 + 6 + 1 + 1);
}

}  // namespace
}  // namespace vistarel
