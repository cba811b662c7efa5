// "Add Video File/s": appends the files chosen in the open-file dialog.
#include "base/Addresses.h"
#include "base/PathHelpers.h"
#include "filelist/AddFiles.h"
#include "filelist/InputListModel.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

void Form1::PushButton1_Click() {
  IDialogs& dialogs = *platform_.dialogs;
  HandlerGuard guard(dialogs, u"PushButton1_Click"_s);
  guard.Run([&] {
    QStringList selection;
    QString title;
    QList<FileFilter> filters;
    bool tooMany = false;
    guard.Step(100, [&] { selection.clear(); });
    // 102: the dialog's options; multiple selection is always on in ours.
    guard.Step(104, [&] { title = QString::fromUtf16(kAddFilesTitle); });
    guard.Step(106, [&] { filters = AddFilesFilters(); });
    guard.Step(108, [&] {
      selection = dialogs.OpenFileNames(title, filters);
      tooMany = SelectionBufferLength(selection) > kSelectionBufferSize;
    });
    // A selection the dialog's buffer cannot hold is refused as a whole.
    if (tooMany) {
      guard.Step(108, [&] {
        dialogs.MessageBox(TooManyFilesMessage(), QString::fromUtf16(kProductName), BoxIcon::None,
                           BoxButtons::Ok);
      });
      return;
    }
    if (guard.Test(110, [&] { return selection.isEmpty(); }))
      return;

    QStringList parts;
    guard.Step(112, [&] { parts = selection; });
    if (guard.Test(114, [&] { return parts.size() == 1; })) {
      QString path;
      guard.Step(116, [&] { path = parts.constFirst(); });
      guard.Step(118, [&] { inputList_->Append(path); });
      return;
    }
    if (guard.Test(120, [&] { return parts.size() > 1; })) {
      qsizetype first = 0;
      qsizetype last = -1;
      guard.Step(122, [&] { first = 0; });
      guard.Step(124, [&] { last = parts.size() - 1; });
      for (qsizetype i = first; i <= last; ++i) {  // 126 to 134
        QString path;
        guard.Step(128, [&] { path = parts.at(i); });
        guard.Step(130, [&] { path = FixRootPath(path); });
        guard.Step(132, [&] { inputList_->Append(path); });
      }
    }
  });
}

}  // namespace vistarel
