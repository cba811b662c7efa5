#pragma once

#include <QString>

#include <array>
#include <optional>

#include "platform/MediaLibrary.h"
#include "platform/Shell.h"
#include "system/FileStatus.h"

namespace vistarel {

// What the desktop shell shows of a media file's own tags and streams, by
// property column (Title, Artist, ..., Length, Frame width, ..., Language);
// the other columns stay empty.
using ShellMediaValues = std::array<QString, kShellPropertyCount>;

// Reads them from a handle that has the file open.
ShellMediaValues ReadShellMediaValues(IMediaLibrary& library, IMediaLibrary::Handle handle);

// Parses the file with a handle of its own and reads them. A file the library
// cannot read, or a library that cannot be loaded, gives empty values: the
// shell shows no value rather than fail.
ShellMediaValues ParseShellMediaValues(IMediaLibrary& library, const QString& path);

// A length in milliseconds as the shell shows it: "h:mm:ss", to the nearest
// second. Empty for a text that is not a number.
QString MediaLengthText(const QString& milliseconds);

// The year of a tag's date ("2021", "2019-05-03", "UTC 2019-05-03 10:00:00"):
// its first group of four digits. Empty when it has none.
QString YearOf(const QString& date);

}  // namespace vistarel
