#pragma once

#include <QString>

#include "base/Failure.h"

namespace vistarel {

// The error number a failed system call's errno stands for: 53 file not found,
// 76 path not found, 70 permission denied, 57 device I/O error, 75 for the rest.
int FailureNumberForErrno(int error);

// The failure of a system call on `path`: the system's own text, the path, and
// the error number its errno stands for, or the one given.
Failure ErrnoFailure(int error, const QString& path);
Failure ErrnoFailure(int error, const QString& path, int number);
[[noreturn]] void ThrowErrno(int error, const QString& path);
[[noreturn]] void ThrowErrno(int error, const QString& path, int number);

}  // namespace vistarel
