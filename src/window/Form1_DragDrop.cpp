// Drops of files and folders on the input list.
#include <QDragMoveEvent>
#include <QDropEvent>

#include "base/PathHelpers.h"
#include "filelist/AddFolder.h"
#include "filelist/DroppedFiles.h"
#include "filelist/InputListModel.h"
#include "platform/FileSystem.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {
// The drop has no numbered steps of its own; its failures name this line.
constexpr int kUnnumbered = 0;
}  // namespace

// Only a list of local files may drop; anything else shows the no-drop pointer.
void Form1::ListView1_OLEDragOver(QDragMoveEvent* event) {
  if (!DroppedPaths(event->mimeData()))
    event->ignore();
}

// Files are appended as dropped, folders with every file of their tree, in the
// drop's order. The walk yields, so a failure or a close of the window during it
// must not escape into Qt's event delivery: it is reported like a button's.
void Form1::ListView1_OLEDragDrop(QDropEvent* event) {
  HandlerGuard guard(*platform_.dialogs, u"ListView1_OLEDragDrop"_s);
  guard.Run([&] {
    QStringList paths;
    guard.Step(kUnnumbered,
               [&] { paths = DroppedPaths(event->mimeData()).value_or(QStringList()); });
    // The folder test looks at the disk beside the window, as the walk does.
    const FolderWalk walk(*platform_.fileSystem, Pump());
    for (const QString& path : std::as_const(paths)) {
      if (IsDroppedFolder(path, *platform_.fileSystem)) {
        AddFolderTree(WithoutTrailingSeparators(path), u"*.*"_s, *platform_.fileSystem, Pump(), *inputList_,
                      guard);
      } else {
        guard.Step(kUnnumbered, [&] { inputList_->Append(path); });
      }
    }
  });
}

}  // namespace vistarel
