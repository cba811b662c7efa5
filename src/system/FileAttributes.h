#pragma once

#include <QString>

namespace vistarel {

// The attribute value of a path, as the folder walk and the file tests read it.
namespace file_attribute {
inline constexpr int kReadOnly = 1;    // the owner has no write permission
inline constexpr int kHidden = 2;      // the name starts with "."
inline constexpr int kSystem = 4;      // a FIFO, socket or device, or a trash folder
inline constexpr int kDirectory = 16;  // a folder, or a link to one
inline constexpr int kArchive = 32;    // a regular file, or a link to one
inline constexpr int kLink = 1024;     // the entry itself is a symbolic link
}  // namespace file_attribute

// The attribute value of `path`, from lstat (and stat for a link's target).
// Throws Failure (53 file not found, 70 permission denied, ...) when the path
// cannot be looked up. Never opens the path.
int AttributesOf(const QString& path);

// The attribute value of an entry of a folder already open as `folderFd`, with
// `path` its full path (for the trash test).
int AttributesAt(int folderFd, const QByteArray& entryName, const QString& path);

}  // namespace vistarel
