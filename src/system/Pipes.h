#pragma once

#include <QByteArray>

namespace vistarel {

// A helper's end of its pipes to the program: whole messages out, what comes in.

// Writes all the bytes, waiting as the pipe needs; false once the program is gone.
bool WriteAll(int fd, const QByteArray& bytes);
// Reads what has come, waiting for something: how many bytes, 0 at the end of
// the input, -1 on a failure.
qsizetype ReadSome(int fd, char* buffer, qsizetype size);

// Makes this process end with the program that started it, even in the middle
// of a call that never returns, and lets it see a vanished reader as a failed
// write rather than die of it.
void EndWithParent();

// Closes every descriptor from `first` on: a helper holds no descriptor it was
// not given on purpose.
void CloseDescriptorsFrom(int first);

}  // namespace vistarel
