#pragma once

#include <QString>

#include "platform/FileSystem.h"

#include <optional>

namespace vistarel {


// The attribute value of `path`, from lstat (and stat for a link's target).
// Throws Failure (53 file not found, 70 permission denied, ...) when the path
// cannot be looked up. Never opens the path.
int AttributesOf(const QString& path);

// The attribute value of an entry whose own mode (lstat) and, for a link, its
// target's mode (stat; none for a link that leads nowhere) are known.
int AttributesFromModes(unsigned entryMode, std::optional<unsigned> targetMode,
                        const QString& path);

// The attribute value of an entry of a folder already open as `folderFd`, with
// `path` its full path (for the trash test).
int AttributesAt(int folderFd, const QByteArray& entryName, const QString& path);

}  // namespace vistarel
