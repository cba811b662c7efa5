#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace vistarel {

// A file the kernel makes up about itself (/proc/...), at most `maxBytes` of
// it; empty when it cannot be read. Such a file is on no user's disk: reading
// it never waits for one, and is no call on a user's path.
QByteArray ReadKernelFile(const QByteArray& path, qsizetype maxBytes = 64 * 1024);

// The bytes a process has read and written so far, by any read or write call;
// none where the system does not tell.
std::optional<quint64> BytesMoved(qint64 pid);

// The state letter of a process ('R' running, 'S' sleeping, 'D' waiting for a
// device, 'Z' ended); 0 where the system does not tell.
char ProcessState(qint64 pid);

// The system's monotonic clock, in nanoseconds: the same for every process.
qint64 MonotonicNs();

// When the process's main thread last ran on a processor, in milliseconds of
// the scheduler's clock (the same for every process); none where the system
// does not tell. A thread stuck in a call stopped running when the call began
// to wait.
std::optional<double> LastRanMs(qint64 pid);

// The processor time a process has used so far, in seconds; none where the
// system does not tell.
std::optional<double> ProcessorSeconds(qint64 pid);

}  // namespace vistarel
