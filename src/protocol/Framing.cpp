#include "protocol/Framing.h"

#include <QtEndian>

namespace vistarel {

namespace {
constexpr auto kFrame = qsizetype(sizeof(quint32));
}  // namespace

QByteArray Framed(const QByteArray& body) {
  QByteArray message(kFrame, '\0');
  qToBigEndian(quint32(body.size()), message.data());
  return message + body;
}

void FrameReader::Append(const char* bytes, qsizetype size) {
  if (!broken_)
    pending_.append(bytes, size);
}

std::optional<QByteArray> FrameReader::Next() {
  if (broken_)
    return std::nullopt;
  const qsizetype left = pending_.size() - read_;
  if (left < kFrame) {
    // Handed-out bytes go once the reader is idle, not after every message:
    // a pipe full of small answers would otherwise be moved over and over.
    pending_.remove(0, read_);
    read_ = 0;
    return std::nullopt;
  }
  const auto length = qsizetype(qFromBigEndian<quint32>(pending_.constData() + read_));
  if (length > kMaxFrame) {
    broken_ = true;
    pending_.clear();
    read_ = 0;
    return std::nullopt;
  }
  if (left - kFrame < length) {
    pending_.remove(0, read_);
    read_ = 0;
    return std::nullopt;
  }
  QByteArray body = pending_.mid(read_ + kFrame, length);
  read_ += kFrame + length;
  return body;
}

}  // namespace vistarel
