// "Start Extracting Metadata": one result row per input file, filled from what
// the media workers learnt of it: the MediaInfo library's answers, the
// file-system object and the desktop shell.
#include <memory>
#include <optional>

#include "base/Addresses.h"
#include "base/PathHelpers.h"
#include "extract/ExtractionRun.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/MousePointer.h"
#include "gui/ProgressBar.h"
#include "platform/Dialogs.h"
#include "platform/FileReader.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

void ShowMessage(IDialogs& dialogs, const QString& text) {
  dialogs.MessageBox(text, QString::fromUtf16(kProductName), BoxIcon::None, BoxButtons::Ok);
}

}  // namespace

void Form1::PushButton2_Click() {
  // The run fills the table alone. A second press while it runs, or a press
  // while an export reads the table, is ignored.
  const ResultTableUse::Claim filling = resultTableUse_.ClaimToFill();
  if (!filling)
    return;

  HandlerGuard guard(*platform_.dialogs, u"PushButton2_Click"_s);
  ResultTableModel& table = *resultTable_;
  guard.Run([&] {
    if (guard.Test(100, [&] { return inputList_->Count() == 0; })) {
      guard.Step(292, [&] { ShowMessage(*platform_.dialogs, u"No files added."_s); });
      return;
    }
    guard.Step(102, [&] { table.RemoveAllRows(); });
    IFileSystem* fileSystem = nullptr;
    guard.Step(104, [&] { fileSystem = platform_.fileSystem; });

    int columns = 0;
    guard.Step(106, [&] { columns = table.ColumnCount(); });
    for (int c = columns; c > kFixedColumnCount; --c) {
      guard.Step(108, [&] { table.RemoveColumnsAfter(c - 1); });
    }  // 110: next c

    // The list as it stands now: entries added or cleared during the run's
    // yields do not change what this run processes.
    QStringList files;
    int count = 0;
    // The media workers read the files ahead of the run, in list order.
    std::unique_ptr<IFileReading> reading;
    guard.Step(112, [&] {
      files = inputList_->Entries();
      count = int(files.size());
      reading = Made(platform_.fileReader).Read(files);
    });
    ShellPropertyHeaders headers;
    for (int j = 1; j <= count; ++j) {
      QString path;
      guard.Step(114, [&] { path = files.at(j - 1); });
      guard.Step(116, [&] { progressBar1_->SetValue(ProgressValue(j, int(files.size()))); });
      guard.Step(118, [&] { progressBar1_->SetCaption(ProcessingCaption(path)); });
      // The window repaints at its frame rate: a file that takes longer than a
      // frame gets its caption painted before it is read, while a folder of
      // small files is not held up by a paint per file.
      guard.Step(120, [&] { pump_.YieldSoon(); });
      guard.Step(122, [&] { SetMousePointer(mouse_pointer::kBusy); });

      // All the workers learnt of the file; the library steps read its parse,
      // each failing as its call failed there. A file whose answer could not
      // be had has none, and every step that reads it fails.
      std::optional<FileAnswer> answer;
      const auto answered = [&]() -> const FileAnswer& {
        return Made(answer ? &*answer : nullptr);
      };
      guard.Step(124, [&] {
        answer = Made(reading.get()).Next(pump_);
        RequireHandle(answer->media);
      });
      guard.Step(126, [&] { RequireOpened(answered().media); });
      int row = 0;
      guard.Step(128, [&] {
        row = table.AddRow(path);
        table.SetIncluded(row, true);
      });
      for (int s = 1; s <= kMediaColumnCount; ++s) {
        guard.Step(MediaCellStep(s),
                   [&] { table.SetSubItem(row, s, MediaCell(answered().media, s)); });
      }
      guard.Step(206, [&] { RequireHandle(answered().media); });
      guard.Step(208, [&] { RequireHandle(answered().media); });

      std::unique_ptr<IFile> file;
      guard.Step(210, [&] { file = Made(fileSystem).GetFile(path, answered().file); });
      for (int s = kFirstFileSubItem; s <= kLastFileSubItem; ++s) {
        const QString property = QString::fromUtf16(ColumnOfSubItem(s).parameter);
        guard.Step(FileCellStep(s),
                   [&] { table.SetSubItem(row, s, Made(file.get()).Property(property)); });
      }
      guard.Step(232, [&] {
        table.SetSubItem(row, kTypeSubItem,
                         Made(file.get()).Property(u"Type"_s) + u"; "_s +
                             Made(fileSystem).GetExtensionName(path));
      });
      guard.Step(234, [&] { file.reset(); });

      QString folder;
      QString baseName;
      guard.Step(236, [&] { folder = FolderOf(path); });
      guard.Step(238, [&] { baseName = NameWithoutExtension(FileNameOf(path)); });
      IShell* shell = nullptr;
      std::unique_ptr<IShellFolder> folderObject;
      guard.Step(240, [&] { shell = platform_.shell; });
      guard.Step(242,
                 [&] { folderObject = Made(shell).Namespace(TrimBlanks(folder), answered()); });
      for (int k = 0; k < kShellPropertyCount; ++k) {  // 244
        guard.Step(246, [&] { headers[k] = Made(folderObject.get()).PropertyName(k); });
        if (guard.Test(248, [&] { return headers[k].isEmpty(); }))
          guard.Step(250, [&] { headers[k] = u"Others"_s; });
      }  // 252: next k

      // The folder's entries whose display name matches, in the shell's order;
      // the shell finds them without walking the whole folder. A walk that
      // cannot start has no entry to go into.
      QList<int> entries;
      guard.Step(254, [&] { entries = Made(folderObject.get()).ItemsNamed(baseName); });
      for (const int entry : entries) {
        const auto value = [&](int m) { return folderObject->GetDetailsOf(entry, m); };
        if (!guard.Test(
                256, [&] { return SameDisplayName(baseName, folderObject->DisplayName(entry)); }))
          continue;
        for (int m = 0; m < kShellPropertyCount; ++m) {  // 258
          if (!guard.Test(260, [&] { return !value(m).isEmpty(); }))
            continue;
          if (!guard.Test(262, [&] { return headers[m] != u"Name"_s; }))
            continue;
          int c = 0;
          guard.Step(264, [&] { c = table.ColumnIndexOf(RunTimeColumnHeader(headers[m])); });
          if (guard.Test(266, [&] { return c == -1; })) {
            guard.Step(270, [&] { table.AppendColumn(RunTimeColumnHeader(headers[m])); });
            guard.Step(272, [&] { table.SetSubItem(row, table.ColumnCount() - 1, value(m)); });
          } else {
            guard.Step(268, [&] { table.SetSubItem(row, c - 1, value(m)); });
          }
        }
      }  // 274: next entry
      guard.Step(276, [&] { folderObject.reset(); });
      guard.Step(278, [&] { shell = nullptr; });
    }  // 280: next j
    reading.reset();

    guard.Step(282, [&] { fileSystem = nullptr; });
    guard.Step(284, [&] { SetMousePointer(mouse_pointer::kDefault); });
    guard.Step(286, [&] { progressBar1_->SetValue(0); });
    guard.Step(288, [&] { progressBar1_->SetCaption(u"Progress Bar"_s); });
    guard.Step(290, [&] { ShowMessage(*platform_.dialogs, u"Done."_s); });
  });
}

}  // namespace vistarel
