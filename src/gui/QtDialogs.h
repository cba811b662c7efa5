#pragma once

#include <QFileDialog>
#include <QMessageBox>

#include <memory>

#include "platform/Dialogs.h"

namespace vistarel {

// The real boxes and dialogs, owned by the active window of the moment.
class QtDialogs final : public IDialogs {
 public:
  BoxAnswer MessageBox(const QString& text, const QString& title, BoxIcon icon,
                       BoxButtons buttons) override;
  QString InputBox(const QString& prompt, const QString& title,
                   const QString& defaultAnswer) override;
  QStringList OpenFileNames(const QString& title, const QList<FileFilter>& filters) override;
  QString SaveFileName(const QString& title, const QList<FileFilter>& filters) override;
  QString ExistingDirectory(const QString& caption) override;
};

// Qt's message box with the text, title, icon and buttons, wide enough to show
// its title on a window manager's title bar. Exposed for tests.
std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, const QString& title, BoxIcon icon,
                                            BoxButtons buttons);

// The least width of a window that shows `title`, in `font` made bold, on a
// title bar that also holds the window's icon and up to three buttons.
int WidthToShowTitle(const QString& title, const QFont& font);

// "Video Files (*.avi;*.mp4)" with its patterns, in the name-filter form of Qt's
// file dialog: "Video Files (*.avi;*.mp4) (*.avi *.mp4)". Exposed for tests.
QString QtNameFilter(const FileFilter& filter);

// Qt's own file dialog with the title and the type list, showing each type's
// designed description and matching its patterns. Exposed for tests.
std::unique_ptr<QFileDialog> MakeFileDialog(const QString& title, const QList<FileFilter>& filters);

}  // namespace vistarel
