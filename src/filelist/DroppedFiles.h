#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

namespace vistarel {
class IFileSystem;
}

namespace vistarel {

// The paths of dragged data that is a list of local files (text/uri-list whose
// URLs all name local files), in the drag's order. Nothing for any other data:
// text, links to other hosts or schemes, an empty list. Only such a list may
// drop on the input list.
std::optional<QStringList> DroppedPaths(const QMimeData* data);

// True when a dropped path is a folder: it exists and its attribute value has
// the folder bit (a link to a folder counts). A path that cannot be looked up
// counts as a file.
bool IsDroppedFolder(const QString& path, IFileSystem& fileSystem);

}  // namespace vistarel
