#include "gui/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "base/PathHelpers.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

QWidget* Owner() {
  return QApplication::activeWindow();
}

QString NameFilters(const QList<FileFilter>& filters) {
  QStringList parts;
  for (const FileFilter& filter : filters) parts << QtNameFilter(filter);
  return parts.join(u";;"_s);
}

}  // namespace

QString QtNameFilter(const FileFilter& filter) {
  // Qt reads the patterns from the last parentheses of an entry and splits them
  // at blanks only, so a designed "(*.avi;*.mpg)" would match nothing: the
  // entry shows the patterns in Qt's own syntax instead.
  QString name = filter.description;
  if (name.endsWith(u')')) {
    const qsizetype open = name.lastIndexOf(u'(');
    if (open >= 0)
      name = name.left(open);
  }
  return name.trimmed() + u" ("_s + filter.patterns.join(u' ') + u')';
}

BoxAnswer QtDialogs::MessageBox(const QString& text, const QString& title, BoxIcon icon,
                                BoxButtons buttons) {
  QMessageBox box(
      icon == BoxIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
      buttons == BoxButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Owner());
  box.setTextFormat(Qt::PlainText);
  const int answer = box.exec();
  if (buttons == BoxButtons::Ok)
    return BoxAnswer::Ok;
  return answer == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title,
                            const QString& defaultAnswer) {
  // The input box's label shows a bare CR as a blank, where the message boxes
  // break the line; the prompt's line breaks are meant as breaks.
  QString shown = prompt;
  shown.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
  bool ok = false;
  const QString answer =
      QInputDialog::getText(Owner(), title, shown, QLineEdit::Normal, defaultAnswer, &ok);
  return ok ? answer : QString();
}

QStringList QtDialogs::OpenFileNames(const QString& title, const QList<FileFilter>& filters) {
  return QFileDialog::getOpenFileNames(Owner(), title, QString(), NameFilters(filters));
}

QString QtDialogs::SaveFileName(const QString& title, const QList<FileFilter>& filters) {
  QFileDialog dialog(Owner(), title, QString(), NameFilters(filters));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().constFirst();
}

QString QtDialogs::ExistingDirectory(const QString& caption) {
  return WithoutTrailingSeparators(QFileDialog::getExistingDirectory(Owner(), caption));
}

}  // namespace vistarel
