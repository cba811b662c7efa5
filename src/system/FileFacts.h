#pragma once

#include <QString>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>

#include "base/Failure.h"
#include "platform/FileStamp.h"

namespace vistarel {

// What a stat tells the file-system object and the shell, in plain numbers.
struct FileStatus {
  unsigned mode = 0;
  qint64 size = 0;
  qint64 accessedMs = 0;  // since the epoch
  qint64 modifiedMs = 0;
  qint64 createdMs = 0;
  bool hasCreated = false;  // the file system records birth times
  unsigned user = 0;
  unsigned group = 0;
  FileStamp stamp;
  std::uint64_t mountId = 0;
  bool hasMountId = false;
};
FileStatus StatusFrom(const struct statx& status);

// A path as lstat and stat see it: the entry itself, and what it leads to
// (the same, for anything but a link).
struct PathStatus {
  std::optional<FileStatus> entry;
  std::optional<FileStatus> target;
  int error = 0;  // why the entry, or a link's target, could not be looked up
};
PathStatus LookUpPath(const QByteArray& encodedPath);

// The raw facts of a file that its file-system object shows: gathered where
// the disk may be waited on, turned into text where the user reads them.
struct FileFacts {
  // Why the file cannot be looked up: the system's text and the path; 53 for a
  // folder, which is no file.
  std::optional<Failure> failure;
  FileStatus status;  // of what the path leads to
  QString drive;      // the mount point of its file system
  QString mimeType;   // the name of its type in the shared MIME database
  bool remote = false;  // on a network or FUSE file system
};
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
