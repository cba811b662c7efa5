#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vistarel {

enum class BoxIcon { None, Warning };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

// One entry of a file dialog's type list: its description as designed, e.g.
// "Video Files (*.avi;*.mpg)", and the patterns it stands for, in Qt's syntax.
struct FileFilter {
  QString description;
  QStringList patterns;
};

// Every message box, input box and file dialog of the program goes through this,
// so that tests can answer them without a person.
class IDialogs {
 public:
  virtual ~IDialogs() = default;

  virtual BoxAnswer MessageBox(const QString& text, const QString& title, BoxIcon icon,
                               BoxButtons buttons) = 0;
  // The typed text; empty text when the user cancels.
  virtual QString InputBox(const QString& prompt, const QString& title,
                           const QString& defaultAnswer) = 0;
  // The chosen paths in the dialog's order; empty when cancelled.
  virtual QStringList OpenFileNames(const QString& title, const QList<FileFilter>& filters) = 0;
  // The chosen path; empty when cancelled. No overwrite question, no default suffix.
  virtual QString SaveFileName(const QString& title, const QList<FileFilter>& filters) = 0;
  // The chosen folder without a trailing separator (except the root); empty when cancelled.
  virtual QString ExistingDirectory(const QString& caption) = 0;
};

}  // namespace vistarel
