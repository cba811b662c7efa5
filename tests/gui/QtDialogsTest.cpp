#include <QComboBox>
#include <QFileSystemModel>

#include <gtest/gtest.h>

#include "export/TextExportDialog.h"
#include "filelist/AddFiles.h"
#include "gui/QtDialogs.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

QStringList ShownTypes(QFileDialog& dialog) {
  const auto* combo = dialog.findChild<QComboBox*>(u"fileTypeCombo"_s);
  QStringList shown;
  for (int i = 0; combo != nullptr && i < combo->count(); ++i) shown << combo->itemText(i);
  return shown;
}

// The patterns the dialog's list matches names against.
QStringList MatchedPatterns(QFileDialog& dialog) {
  const auto* model = dialog.findChild<QFileSystemModel*>();
  return model != nullptr ? model->nameFilters() : QStringList{u"no model"_s};
}

// The type list reads as designed, with ";" between the patterns and "*.*",
// while the names are matched by Qt's patterns.
TEST(FileDialog, ShowsTheDesignedTypeDescriptionsAndMatchesTheirPatterns) {
  const QList<FileFilter> video = AddFilesFilters();
  const auto open = MakeFileDialog(QString::fromUtf16(kAddFilesTitle), video);
  EXPECT_TRUE(open->testOption(QFileDialog::DontUseNativeDialog));
  EXPECT_EQ(ShownTypes(*open),
            (QStringList{u"Video Files (*.avi;*.mpg;*.mpeg;*.flv;*.wmv;*.mov;*.mp4)"_s,
                         u"All Files (*.*)"_s}));
  const QStringList videoPatterns = {u"*.avi"_s, u"*.mpg"_s, u"*.mpeg"_s, u"*.flv"_s,
                                     u"*.wmv"_s, u"*.mov"_s, u"*.mp4"_s};
  EXPECT_EQ(MatchedPatterns(*open), videoPatterns);  // the first type is chosen
  open->selectNameFilter(QtNameFilter(video[1]));
  EXPECT_EQ(MatchedPatterns(*open), QStringList{u"*"_s});

  const auto save = MakeFileDialog(QString::fromUtf16(kSaveTitle), SaveTextFilters());
  EXPECT_EQ(ShownTypes(*save), (QStringList{u"Text Files (*.txt)"_s, u"All Files (*.*)"_s}));
  EXPECT_EQ(MatchedPatterns(*save), QStringList{u"*.txt"_s});
}

// Qt sizes a box by its text: a short one showed its title as "V…" on a title
// bar that holds the window's icon and three buttons beside it.
TEST(MessageBox, IsWideEnoughToShowItsTitleBesideTheTitleBarsButtons) {
  for (const auto& [text, title] : {std::pair(u"No files added."_s, u"Vistarel"_s),
                                    std::pair(u"x"_s, u"Application Error"_s)}) {
    const auto box = MakeMessageBox(text, title, BoxIcon::None, BoxButtons::Ok);
    box->show();
    QFont bold = box->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    // Openbox cut the title short with six lines' height of room beside it.
    EXPECT_GE(box->width(), metrics.horizontalAdvance(title) + 7 * metrics.height())
        << title.toStdString();
  }
}

}  // namespace
}  // namespace vistarel
