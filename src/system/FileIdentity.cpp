#include "system/FileIdentity.h"

#include <sys/stat.h>

namespace vistarel {

std::optional<FileIdentity> IdentityOf(const QByteArray& encodedPath) {
  struct stat status {};
  if (stat(encodedPath.constData(), &status) != 0)
    return std::nullopt;
  return FileIdentity{status.st_dev, status.st_ino, status.st_size, status.st_mtim};
}

}  // namespace vistarel
