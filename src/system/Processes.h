#pragma once

#include <QtGlobal>

#include <optional>

namespace vistarel {

// The bytes a process has read so far, by any read call; none where the
// system does not tell.
std::optional<quint64> BytesRead(qint64 pid);

}  // namespace vistarel

namespace vistarel {

// The state letter of a process ('R' running, 'S' sleeping, 'D' waiting for a
// device, 'Z' ended); 0 where the system does not tell.
char ProcessState(qint64 pid);

// The processor time a process has used so far, in seconds; none where the
// system does not tell.
std::optional<double> ProcessorSeconds(qint64 pid);

}  // namespace vistarel
