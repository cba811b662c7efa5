#include "gui/MousePointer.h"

#include <QImage>
#include <QPixmap>

#include "base/Failure.h"
#include "system/RegularFile.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMaxCursorBytes = 1 << 20;

quint16 ReadLe16(const QByteArray& bytes, qsizetype at) {
  return static_cast<quint16>(static_cast<quint8>(bytes[at]) |
                              (static_cast<quint8>(bytes[at + 1]) << 8));
}

}  // namespace

QCursor LoadCursorFile(const QString& path) {
  // A cursor is small; a larger file is not one. A FIFO or device in its place
  // fails rather than hangs the start-up.
  const QByteArray bytes = ReadRegularFile(path, kMaxCursorBytes);
  QImage image;
  if (!image.loadFromData(bytes))
    throw Failure(u"Invalid picture: "_s + path);

  // The header: reserved 0, type 2 (cursor), count; then the first entry, whose
  // bytes 4 to 7 hold the hot spot.
  int hotX = -1;
  int hotY = -1;
  if (bytes.size() >= 22 && ReadLe16(bytes, 0) == 0 && ReadLe16(bytes, 2) == 2) {
    hotX = ReadLe16(bytes, 10);
    hotY = ReadLe16(bytes, 12);
    if (hotX >= image.width() || hotY >= image.height())
      hotX = hotY = -1;
  }
  return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

}  // namespace vistarel
