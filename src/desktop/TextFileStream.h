#pragma once

#include <QString>

#include <memory>

#include "platform/FileSystem.h"

namespace vistarel {

// A text file written beside its final name and put in place at Close (in a
// folder the user may not write, written in place), in the encoding of the
// user's locale (UserCodeset), "?" for what it cannot hold.
std::unique_ptr<ITextStream> OpenTextFileStream(const QString& path, bool overwrite);

}  // namespace vistarel
