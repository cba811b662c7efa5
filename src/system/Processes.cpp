#include "system/Processes.h"

#include <QByteArray>

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "system/FileDescriptor.h"

namespace vistarel {

std::optional<quint64> BytesRead(qint64 pid) {
  const QByteArray path = "/proc/" + QByteArray::number(pid) + "/io";
  const FileDescriptor io(open(path.constData(), O_RDONLY | O_CLOEXEC));
  if (io.get() < 0)
    return std::nullopt;
  char text[512];
  const ssize_t count = read(io.get(), text, sizeof text - 1);
  if (count <= 0)
    return std::nullopt;
  text[count] = '\0';
  const char* field = std::strstr(text, "rchar:");
  if (field == nullptr)
    return std::nullopt;
  return std::strtoull(field + 6, nullptr, 10);
}

}  // namespace vistarel
