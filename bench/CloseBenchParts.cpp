#include "CloseBenchParts.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>

namespace vistarel::bench {

namespace {

// The main window's client area, in the twips it is designed in.
constexpr int kWindowWidth = 8040;
constexpr int kWindowHeight = 8940;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

qint64 ProcessorTicksOf(const QByteArray& stat) {
  // The name in parentheses may hold blanks and parentheses of its own: the
  // fields start after the last closing one. utime and stime are the 14th and
  // 15th fields, the 12th and 13th after the name.
  const qsizetype nameEnd = stat.lastIndexOf(')');
  if (nameEnd < 0)
    return -1;
  const QList<QByteArray> fields = stat.mid(nameEnd + 1).simplified().split(' ');
  if (fields.size() < 13)
    return -1;
  bool userRead = false;
  bool systemRead = false;
  const qint64 user = fields[11].toLongLong(&userRead);
  const qint64 system = fields[12].toLongLong(&systemRead);
  return userRead && systemRead ? user + system : -1;
}

qint64 ProcessorTicks(qint64 pid) {
  return ProcessorTicksOf(ReadAll(QStringLiteral("/proc/%1/stat").arg(pid)));
}

QList<qint64> ChildProcesses(qint64 pid) {
  QList<qint64> children;
  const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
  for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    for (const QByteArray& child :
         ReadAll(tasks + u'/' + task + QStringLiteral("/children")).simplified().split(' ')) {
      bool read = false;
      const qint64 id = child.toLongLong(&read);
      if (read)
        children << id;
    }
  }
  return children;
}

qint64 FamilyProcessorTicks(qint64 pid) {
  qint64 ticks = ProcessorTicks(pid);
  if (ticks < 0)
    return -1;
  for (const qint64 child : ChildProcesses(pid))
    ticks += std::max<qint64>(FamilyProcessorTicks(child), 0);
  return ticks;
}

bool HasMainWindowShape(QSize size) {
  // Pixels are rounded at every density: a per cent either way.
  const qint64 across = qint64(size.width()) * kWindowHeight;
  const qint64 down = qint64(size.height()) * kWindowWidth;
  return size.width() >= 100 && std::llabs(across - down) * 100 <= across;
}

QPoint ButtonCentre(QSize window, const QRect& button) {
  const QPoint centre = button.topLeft() + QPoint(button.width() / 2, button.height() / 2);
  return {centre.x() * window.width() / kWindowWidth, centre.y() * window.height() / kWindowHeight};
}

}  // namespace vistarel::bench
