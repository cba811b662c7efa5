#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>

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

}  // namespace vistarel::test
