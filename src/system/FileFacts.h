#pragma once

#include <QString>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>

#include "base/Failure.h"
#include "protocol/Facts.h"

namespace vistarel {

// The plain numbers of a statx.
FileStatus StatusFrom(const struct statx& status);

// A path as lstat and stat see it: the entry itself, and what it leads to
// (the same, for anything but a link).
struct PathStatus {
  std::optional<FileStatus> entry;
  std::optional<FileStatus> target;
  int error = 0;  // why the entry, or a link's target, could not be looked up
};
PathStatus LookUpPath(const QByteArray& encodedPath);

// The facts of a file that its file-system object shows, gathered by a helper.
FileFacts GatherFileFacts(const QString& path);
// The same from a look-up already made.
FileFacts FileFactsFrom(const QString& path, const PathStatus& looked);

// The name of the file's type in the shared MIME database. The name decides;
// where it is ambiguous (".ts": transport stream or translation file) or
// unknown, the first bytes of a regular file decide too. A FIFO, socket or
// device is named by its kind and never opened.
QString MimeTypeName(const QString& path, const QByteArray& encodedPath, unsigned mode);

// The mount point of the file system that holds the path.
QString DriveOf(const QByteArray& encodedPath, const FileStatus& status);

}  // namespace vistarel
