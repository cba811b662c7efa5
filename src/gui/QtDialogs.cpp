#include "gui/QtDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLayout>
#include <QMessageBox>

#include "base/PathHelpers.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

QWidget* Owner() {
  return QApplication::activeWindow();
}

}  // namespace

QString QtNameFilter(const FileFilter& filter) {
  // Qt matches the patterns of an entry's last parentheses, split at blanks,
  // where the designed descriptions separate them with ";". The patterns go
  // into parentheses of their own, which the dialog hides, so the designed
  // description is what the user reads.
  return filter.description + u" ("_s + filter.patterns.join(u' ') + u')';
}

std::unique_ptr<QFileDialog> MakeFileDialog(const QString& title,
                                            const QList<FileFilter>& filters) {
  auto dialog = std::make_unique<QFileDialog>(Owner(), title);
  // A desktop's own dialog shows the descriptions its own way (GTK's cuts them
  // at the first parenthesis); Qt's shows them as designed.
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setOption(QFileDialog::HideNameFilterDetails, true);
  QStringList nameFilters;
  for (const FileFilter& filter : filters) nameFilters << QtNameFilter(filter);
  dialog->setNameFilters(nameFilters);
  return dialog;
}

int WidthToShowTitle(const QString& title, const QFont& font) {
  QFont bold = font;
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  // The icon and each button take about two lines' height.
  return metrics.horizontalAdvance(title) + 8 * metrics.height();
}

std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, const QString& title, BoxIcon icon,
                                            BoxButtons buttons) {
  auto box = std::make_unique<QMessageBox>(
      icon == BoxIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
      buttons == BoxButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Owner());
  box->setTextFormat(Qt::PlainText);
  // Qt sizes a box by its text, and leaves the title a fixed allowance that a
  // title bar's buttons use up: "No files added." showed "V…". The button row
  // spans the box, so its least width sets the box's.
  auto* row = box->findChild<QDialogButtonBox*>();
  if (row != nullptr && box->layout() != nullptr) {
    const QMargins margins = box->layout()->contentsMargins();
    row->setMinimumWidth(WidthToShowTitle(title, box->font()) - margins.left() - margins.right());
  }
  return box;
}

BoxAnswer QtDialogs::MessageBox(const QString& text, const QString& title, BoxIcon icon,
                                BoxButtons buttons) {
  const auto box = MakeMessageBox(text, title, icon, buttons);
  const int answer = box->exec();
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
  const auto dialog = MakeFileDialog(title, filters);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFiles);
  if (dialog->exec() != QDialog::Accepted)
    return {};
  return dialog->selectedFiles();
}

QString QtDialogs::SaveFileName(const QString& title, const QList<FileFilter>& filters) {
  const auto dialog = MakeFileDialog(title, filters);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
    return {};
  return dialog->selectedFiles().constFirst();
}

QString QtDialogs::ExistingDirectory(const QString& caption) {
  return WithoutTrailingSeparators(QFileDialog::getExistingDirectory(Owner(), caption));
}

}  // namespace vistarel
