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
QString DropProcedure() {
  return u"ListView1_OLEDragDrop"_s;
}

void AppendDropped(const QStringList& paths, IFileSystem& fileSystem, QtEventPump& pump,
                   InputListModel& inputList, HandlerGuard& guard) {
  // The folder test looks at the disk beside the window, as the walk does.
  const FolderWalk walk(fileSystem, pump);
  for (const QString& path : paths) {
    if (IsDroppedFolder(path, fileSystem))
      AddFolderTree(WithoutTrailingSeparators(path), u"*.*"_s, fileSystem, pump, inputList, guard);
    else
      guard.Step(kUnnumbered, [&] { inputList.Append(path); });
  }
}

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
  HandlerGuard guard(*platform_.dialogs, DropProcedure());
  guard.Run([&] {
    QStringList paths;
    guard.Step(kUnnumbered,
               [&] { paths = DroppedPaths(event->mimeData()).value_or(QStringList()); });
    AppendDropped(paths, *platform_.fileSystem, Pump(), *inputList_, guard);
  });
}

// The paths the program was started with come in as a drop of them, with the
// drop's reports.
void Form1::AddAsDropped(const QStringList& paths) {
  HandlerGuard guard(*platform_.dialogs, DropProcedure());
  guard.Run([&] { AppendDropped(paths, *platform_.fileSystem, Pump(), *inputList_, guard); });
}

}  // namespace vistarel
