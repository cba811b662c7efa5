// "Load Sample/Example Files": the sample videos shipped beside the program,
// then an offer to open their folder.
#include "base/Addresses.h"
#include "base/PathHelpers.h"
#include "filelist/AddFolder.h"
#include "filelist/InputListModel.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "report/HandlerGuard.h"
#include "system/FileUrls.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kOpenSampleFolderQuestion[] =
    u"Would you like this software to open the folder where these sample files are stored (so "
    u"that you can view them before working with them)?";

}  // namespace

void Form1::PushButton10_Click() {
  HandlerGuard guard(*platform_.dialogs, u"PushButton10_Click"_s);
  guard.Run([&] {
    const QString samples = platform_.programFolder + kPathSeparator + u"Samples"_s;
    NameArray names;
    {
      const FolderWalk walk(*platform_.fileSystem, Pump());
      guard.Step(100, [&] { names = ListFiles(samples, u"*.*"_s, *platform_.fileSystem); });
    }
    for (int slot = 1; slot <= names.Highest(); ++slot) {  // 102
      guard.Step(104, [&] { inputList_->Append(samples + kPathSeparator + names[slot]); });
    }
    BoxAnswer answer = BoxAnswer::No;
    guard.Step(106, [&] {
      answer = platform_.dialogs->MessageBox(QString::fromUtf16(kOpenSampleFolderQuestion),
                                             QString::fromUtf16(kProductName), BoxIcon::None,
                                             BoxButtons::YesNo);
    });
    if (answer == BoxAnswer::Yes) {
      // The desktop's file manager opens the folder; whether it could is not shown.
      guard.Step(108, [&] { platform_.launcher->OpenUrl(LocalFileUrl(samples + kPathSeparator)); });
    }
  });
}

}  // namespace vistarel
