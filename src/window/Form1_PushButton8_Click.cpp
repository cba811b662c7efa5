// "Save Results As Text File"
#include "export/SaveListAsText.h"
#include "export/TextExportDialog.h"
#include "gui/MousePointer.h"
#include "gui/ProgressBar.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

void Form1::PushButton8_Click() {
  const ResultTableUse::Claim reading = resultTableUse_.ClaimToRead();
  HandlerGuard guard(*platform_.dialogs, u"PushButton8_Click"_s);
  guard.Run([&] {
    QString fileName;
    QString title;
    QList<FileFilter> filters;
    guard.Step(100, [&] { fileName.clear(); });
    // 102: the dialog's options; ours never asks before replacing a file and
    // adds no default extension.
    guard.Step(104, [&] { title = QString::fromUtf16(kSaveTitle); });
    guard.Step(106, [&] { filters = SaveTextFilters(); });
    guard.Step(108, [&] { fileName = platform_.dialogs->SaveFileName(title, filters); });
    QString path;
    guard.Step(110, [&] { path = fileName; });
    if (guard.Test(112, [&] { return path.isEmpty(); }))
      return;
    guard.Step(114, [&] { SetMousePointer(mouse_pointer::kBusy); });
    guard.Step(116, [&] {
      SaveListAsText(*resultTable_, path, progressBar1_, pump_, *platform_.fileSystem);
    });
    guard.Step(118, [&] { SetMousePointer(mouse_pointer::kDefault); });
  });
}

}  // namespace vistarel
