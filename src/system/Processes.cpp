#include "system/Processes.h"

#include <QList>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include "system/FileDescriptor.h"

namespace vistarel {

QByteArray ReadKernelFile(const QByteArray& path, qsizetype maxBytes) {
  const FileDescriptor file(open(path.constData(), O_RDONLY | O_CLOEXEC));
  if (!file.IsOpen())
    return {};
  QByteArray text;
  char chunk[4096];
  while (text.size() < maxBytes) {
    const ssize_t count = read(file.get(), chunk, sizeof chunk);
    if (count < 0 && errno == EINTR)
      continue;
    if (count <= 0)
      break;
    text.append(chunk, count);
  }
  text.truncate(std::min(text.size(), maxBytes));
  return text;
}

namespace {

// A file of the kernel about a process: /proc/<pid>/<name>.
QByteArray ProcessFile(qint64 pid, const char* name) {
  return ReadKernelFile("/proc/" + QByteArray::number(pid) + '/' + name);
}

// The fields of /proc/<pid>/stat after the process's name, from its state on.
// The name in parentheses may hold blanks, so they are counted from its end.
QList<QByteArray> StatFields(qint64 pid) {
  const QByteArray text = ProcessFile(pid, "stat");
  const qsizetype after = text.lastIndexOf(')');
  if (after < 0 || after + 2 >= text.size())
    return {};
  return text.mid(after + 2).split(' ');
}

}  // namespace

std::optional<quint64> BytesMoved(qint64 pid) {
  const QByteArray text = ProcessFile(pid, "io");
  const auto field = [&](const QByteArray& name) -> std::optional<quint64> {
    const qsizetype at = text.indexOf(name);
    if (at < 0)
      return std::nullopt;
    const qsizetype from = at + name.size();
    return text.mid(from, text.indexOf('\n', from) - from).trimmed().toULongLong();
  };
  const std::optional<quint64> read = field("rchar:");
  const std::optional<quint64> written = field("wchar:");
  if (!read || !written)
    return std::nullopt;
  return *read + *written;
}

qint64 MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::optional<double> LastRanMs(qint64 pid) {
  const QByteArray text = ProcessFile(pid, "sched");
  const qsizetype field = text.indexOf("se.exec_start");
  if (field < 0)
    return std::nullopt;
  const qsizetype colon = text.indexOf(':', field);
  bool ok = false;
  const double ms = text.mid(colon + 1, text.indexOf('\n', colon) - colon - 1).trimmed().toDouble(&ok);
  return ok ? std::optional<double>(ms) : std::nullopt;
}

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
