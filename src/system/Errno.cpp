#include "system/Errno.h"

#include <cerrno>
#include <cstring>

namespace vistarel {

using namespace Qt::StringLiterals;

int FailureNumberForErrno(int error) {
  switch (error) {
    case ENOENT:
      return failure_number::kFileNotFound;
    case ENOTDIR:
      return failure_number::kPathNotFound;
    case EACCES:
    case EPERM:
      return failure_number::kPermissionDenied;
    case EIO:
      return failure_number::kDeviceIo;
    default:
      return failure_number::kPathFileAccess;
  }
}

Failure ErrnoFailure(int error, const QString& path, int number) {
  return Failure(QString::fromLocal8Bit(std::strerror(error)) + u": "_s + path, number);
}

Failure ErrnoFailure(int error, const QString& path) {
  return ErrnoFailure(error, path, FailureNumberForErrno(error));
}

void ThrowErrno(int error, const QString& path) {
  throw ErrnoFailure(error, path);
}

void ThrowErrno(int error, const QString& path, int number) {
  throw ErrnoFailure(error, path, number);
}

}  // namespace vistarel
