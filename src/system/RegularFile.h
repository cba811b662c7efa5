#pragma once

#include <QByteArray>
#include <QString>

namespace vistarel {

// The bytes of a regular file of at most `maxBytes`. Opens without blocking, so
// that a FIFO or device put in the file's place cannot hang the window, and
// throws Failure for anything that is not a regular file, for a file that is
// too large and for the system's own errors.
QByteArray ReadRegularFile(const QString& path, qint64 maxBytes);

}  // namespace vistarel
