#include "support/ScriptedDialogs.h"

namespace vistarel::test {

using namespace Qt::StringLiterals;

namespace {

template <class T>
T Next(std::deque<T>& answers, T fallback) {
  if (answers.empty())
    return fallback;
  T answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

}  // namespace

BoxAnswer ScriptedDialogs::MessageBox(const QString& text, const QString& title, BoxIcon icon,
                                      BoxButtons buttons) {
  boxes.push_back({text, title, icon, buttons});
  if (onBox)
    onBox(boxes.back());
  const BoxAnswer fallback = buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
  return Next(boxAnswers, fallback);
}

QString ScriptedDialogs::InputBox(const QString& prompt, const QString& title,
                                  const QString& defaultAnswer) {
  inputBoxes.push_back({title, prompt, {}, defaultAnswer});
  return Next(inputAnswers, QString());
}

QStringList ScriptedDialogs::OpenFileNames(const QString& title, const QList<FileFilter>& filters) {
  openDialogs.push_back({title, {}, filters, {}});
  return Next(openAnswers, QStringList());
}

QString ScriptedDialogs::SaveFileName(const QString& title, const QList<FileFilter>& filters) {
  saveDialogs.push_back({title, {}, filters, {}});
  return Next(saveAnswers, QString());
}

QString ScriptedDialogs::ExistingDirectory(const QString& caption) {
  folderDialogs.push_back({caption, {}, {}, {}});
  return Next(folderAnswers, QString());
}

std::vector<ShownBox> ScriptedDialogs::ErrorReports() const {
  std::vector<ShownBox> reports;
  for (const ShownBox& box : boxes) {
    if (box.title == u"Application Error"_s)
      reports.push_back(box);
  }
  return reports;
}

std::vector<ShownBox> ScriptedDialogs::Messages() const {
  std::vector<ShownBox> messages;
  for (const ShownBox& box : boxes) {
    if (box.title != u"Application Error"_s)
      messages.push_back(box);
  }
  return messages;
}

namespace {

QStringList TextsOf(const std::vector<ShownBox>& boxes) {
  QStringList texts;
  for (const ShownBox& box : boxes) texts.append(box.text);
  return texts;
}

}  // namespace

QStringList ScriptedDialogs::ErrorReportTexts() const {
  return TextsOf(ErrorReports());
}

QStringList ScriptedDialogs::MessageTexts() const {
  return TextsOf(Messages());
}

std::vector<int> ScriptedDialogs::ReportedLines() const {
  std::vector<int> lines;
  for (const ShownBox& box : ErrorReports())
    lines.push_back(box.text.section(u" at line "_s, 1).section(u'\r', 0, 0).toInt());
  return lines;
}

}  // namespace vistarel::test
