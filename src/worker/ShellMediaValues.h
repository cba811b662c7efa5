#pragma once

#include <QString>

#include "protocol/ShellColumns.h"
#include "worker/MediaLibrary.h"

namespace vistarel {

// The shell's media values of a file, read from a handle that has it open.
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
