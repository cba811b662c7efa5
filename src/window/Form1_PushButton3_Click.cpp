// "Add All Video File/s In Folder": every file with the extension the user
// names, in the folder the user picks and its whole tree.
#include "base/Addresses.h"
#include "filelist/AddFolder.h"
#include "gui/MousePointer.h"
#include "platform/Dialogs.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

QString ExtensionPrompt() {
  return u"Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all "
         u"doc files, etc.)"_s;
}

}  // namespace

void Form1::PushButton3_Click() {
  IDialogs& dialogs = *platform_.dialogs;
  HandlerGuard guard(dialogs, u"PushButton3_Click"_s);
  guard.Run([&] {
    QString extension;
    guard.Step(100, [&] {
      extension = dialogs.InputBox(ExtensionPrompt(), QString::fromUtf16(kProductName), u"avi"_s);
    });
    if (guard.Test(102, [&] { return extension.isEmpty(); }))
      return;
    QString folder;
    guard.Step(104, [&] { folder = PickFolder(dialogs, u"Please select folder:"_s); });
    if (guard.Test(106, [&] { return folder.isEmpty(); }))
      return;
    guard.Step(108, [&] { SetMousePointer(mouse_pointer::kBusy); });
    // The answer exactly as typed: "*" gives "*.*", "avi" gives "*.avi".
    AddFolderTree(folder, u"*."_s + extension, *platform_.fileSystem, Pump(), *inputList_, guard);
    guard.Step(130, [&] { SetMousePointer(mouse_pointer::kDefault); });
  });
}

}  // namespace vistarel
