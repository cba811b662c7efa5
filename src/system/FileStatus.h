#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>

#include "protocol/FileStamp.h"

namespace vistarel {

// What the system tells of a path without opening it. Every call goes by the
// path's own bytes (EncodeFileName).

FileStamp StampFrom(const struct stat& status);
// The stamp of what the path leads to; none when it cannot be looked up.
std::optional<FileStamp> StampOf(const QByteArray& encodedPath);

// The statx of the path, of what a link leads to when `followLinks`, with the
// birth time where the file system records one; none, with the errno in
// `error`, when it cannot be looked up.
std::optional<struct statx> StatX(const QByteArray& encodedPath, bool followLinks,
                                  int* error = nullptr);

// The stamp of the folder at `path`. Throws Failure 76 when there is no such
// folder or the path is no folder, and the system's failure otherwise.
FileStamp LookUpFolder(const QString& path);

// True when there is an entry of that name, be it a link that leads nowhere.
bool EntryExists(const QByteArray& encodedPath);

// True when the path leads to a regular file.
bool IsRegularFile(const QByteArray& encodedPath);

// The path with every link resolved; empty text when it cannot be resolved.
QString RealPath(const QByteArray& encodedPath);

// The text a symbolic link holds; empty when the path is no link.
QString LinkTarget(const QByteArray& encodedPath);

// The text of a user extended attribute ("user.xdg.comment"); empty when the
// file has none. Some tools store the text with its closing NUL: it is dropped.
QString ExtendedAttribute(const QByteArray& encodedPath, const char* name);

// The names of the extended attributes the path has (listxattr).
QList<QByteArray> ExtendedAttributeNames(const QByteArray& encodedPath);

// The process's working folder; empty when it cannot be told.
QString CurrentFolder();

}  // namespace vistarel
