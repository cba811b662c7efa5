#pragma once

#include <QtGlobal>

#include <optional>

namespace vistarel {

// The bytes a process has read so far, by any read call; none where the
// system does not tell.
std::optional<quint64> BytesRead(qint64 pid);

}  // namespace vistarel
