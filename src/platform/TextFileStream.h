#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

#include "platform/FileSystem.h"

namespace vistarel {

// A text file written beside its final name and put in place at Close.
std::unique_ptr<ITextStream> OpenTextFileStream(const QString& path, bool overwrite);

// The 8-bit text of a line: UTF-8, the locale's encoding once the character type
// is UTF-8; a character it cannot hold (a lone surrogate, such as a byte of a
// file name that was not valid UTF-8) becomes "?".
QByteArray EightBitText(const QString& text);

}  // namespace vistarel
