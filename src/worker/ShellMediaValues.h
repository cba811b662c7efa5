#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "extract/ResultColumns.h"
#include "protocol/ShellColumns.h"
#include "worker/MediaLibrary.h"

namespace vistarel {

// An answer the handle gave already, if it was asked: the text of `parameter`
// of the first stream of `kind`.
using AskedBefore = std::function<std::optional<QString>(StreamKind kind, QStringView parameter)>;

// The shell's media values of a file, read from a handle that has it open;
// what was asked before is not asked again.
ShellMediaValues ReadShellMediaValues(IMediaLibrary& library, IMediaLibrary::Handle handle,
                                      const AskedBefore& askedBefore = {});

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
