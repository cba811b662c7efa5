#pragma once

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

#include "platform/Dialogs.h"

namespace vistarel::test {

// What a box showed.
struct ShownBox {
  QString text;
  QString title;
  BoxIcon icon;
  BoxButtons buttons;
};

// What a dialog or input box showed; the caption of a folder picker is its title.
struct ShownDialog {
  QString title;
  QString prompt;
  QList<FileFilter> filters;
  QString defaultAnswer;
};

// Answers every box and dialog from a script and records what was shown.
// Without a scripted answer, boxes answer OK (or No) and dialogs cancel.
class ScriptedDialogs final : public IDialogs {
 public:
  BoxAnswer MessageBox(const QString& text, const QString& title, BoxIcon icon,
                       BoxButtons buttons) override;
  QString InputBox(const QString& prompt, const QString& title,
                   const QString& defaultAnswer) override;
  QStringList OpenFileNames(const QString& title, const QList<FileFilter>& filters) override;
  QString SaveFileName(const QString& title, const QList<FileFilter>& filters) override;
  QString ExistingDirectory(const QString& caption) override;

  // The "Application Error" boxes among the boxes shown.
  std::vector<ShownBox> ErrorReports() const;
  // The boxes that are not error reports.
  std::vector<ShownBox> Messages() const;
  // The texts of those boxes, in order.
  QStringList ErrorReportTexts() const;
  QStringList MessageTexts() const;
  // The step numbers the error reports name, in order.
  std::vector<int> ReportedLines() const;

  std::vector<ShownBox> boxes;
  std::deque<BoxAnswer> boxAnswers;
  // Runs while a box is up, as a person could act then; may be empty.
  std::function<void(const ShownBox&)> onBox;

  std::vector<ShownDialog> inputBoxes;
  std::deque<QString> inputAnswers;
  std::vector<ShownDialog> openDialogs;
  std::deque<QStringList> openAnswers;
  std::vector<ShownDialog> saveDialogs;
  std::deque<QString> saveAnswers;
  std::vector<ShownDialog> folderDialogs;
  std::deque<QString> folderAnswers;
};

}  // namespace vistarel::test
