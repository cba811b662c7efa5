#pragma once

#include <QString>

#include <memory>

#include "platform/FileSystem.h"
#include "protocol/Facts.h"

namespace vistarel {

// The file-system object of a file whose facts were gathered elsewhere: its
// properties are those facts turned into the texts the user reads. Throws the
// failure of the look-up when the facts carry one.
std::unique_ptr<IFile> MakeFactsFile(const QString& path, const FileFacts& facts);

}  // namespace vistarel
