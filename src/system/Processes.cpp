#include "system/Processes.h"

#include <QByteArray>
#include <QList>

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

namespace vistarel {

namespace {

// The fields of /proc/<pid>/stat after the process's name, from its state on.
// The name in parentheses may hold blanks, so they are counted from its end.
QList<QByteArray> StatFields(qint64 pid) {
  const QByteArray path = "/proc/" + QByteArray::number(pid) + "/stat";
  const FileDescriptor stat(open(path.constData(), O_RDONLY | O_CLOEXEC));
  if (stat.get() < 0)
    return {};
  char text[1024];
  const ssize_t count = read(stat.get(), text, sizeof text - 1);
  if (count <= 0)
    return {};
  text[count] = '\0';
  const char* after = std::strrchr(text, ')');
  if (after == nullptr || after[1] == '\0')
    return {};
  return QByteArray(after + 2).split(' ');
}

}  // namespace

char ProcessState(qint64 pid) {
  const QList<QByteArray> fields = StatFields(pid);
  return fields.isEmpty() || fields[0].isEmpty() ? 0 : fields[0][0];
}

std::optional<double> ProcessorSeconds(qint64 pid) {
  // utime and stime are the 14th and 15th fields of the whole line.
  const QList<QByteArray> fields = StatFields(pid);
  if (fields.size() < 13)
    return std::nullopt;
  const double ticks = double(fields[11].toULongLong() + fields[12].toULongLong());
  return ticks / double(sysconf(_SC_CLK_TCK));
}

}  // namespace vistarel
