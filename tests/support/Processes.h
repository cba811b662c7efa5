#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <QThread>

#include <optional>

namespace vistarel::test {

// True while the process runs: one that has ended and waits to be collected
// (a zombie) counts as gone, as does one that never was.
inline bool IsRunning(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly))
    return false;
  const QByteArray text = stat.readAll();
  const qsizetype after = text.lastIndexOf(')');
  return after >= 0 && text.mid(after + 2, 1) != "Z";
}

// Waits until the process has ended, at most `milliseconds`.
inline bool EndsWithin(qint64 pid, int milliseconds) {
  QElapsedTimer waited;
  waited.start();
  while (IsRunning(pid) && waited.elapsed() < milliseconds) QThread::msleep(5);
  return !IsRunning(pid);
}

// True while the process waits for a FUSE file system to answer it.
inline bool WaitsForFuse(qint64 pid) {
  QFile wchan(QStringLiteral("/proc/%1/wchan").arg(pid));
  return wchan.open(QIODevice::ReadOnly) && wchan.readAll().contains("request_wait_answer");
}

// The running children of `parent` that were given `argument` on their command
// line, such as the helpers a test's window started.
inline QList<qint64> ChildrenWith(qint64 parent, const QByteArray& argument) {
  QList<qint64> children;
  for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const qint64 pid = name.toLongLong(&number);
    if (!number || !IsRunning(pid))
      continue;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!stat.open(QIODevice::ReadOnly) || !command.open(QIODevice::ReadOnly))
      continue;
    // After the name in parentheses: the state, then the parent.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 1 && fields[1].toLongLong() == parent &&
        command.readAll().split('\0').contains(argument)) {
      children.append(pid);
    }
  }
  return children;
}

// The system call the process waits in (SYS_write, ...), or none while it
// runs or cannot be looked at.
inline std::optional<long> WaitingIn(qint64 pid) {
  QFile call(QStringLiteral("/proc/%1/syscall").arg(pid));
  if (!call.open(QIODevice::ReadOnly))
    return std::nullopt;
  bool number = false;
  const long which = call.readAll().split(' ').value(0).trimmed().toLong(&number);
  return number ? std::optional(which) : std::nullopt;
}

}  // namespace vistarel::test
