#pragma once

#include <QByteArray>

#include <optional>

namespace vistarel {

// Messages between the program and its helpers are framed by their length: a
// big-endian 32-bit count of the bytes that follow.
QByteArray Framed(const QByteArray& body);

// Takes what a pipe brings and hands out whole message bodies, in order.
class FrameReader {
 public:
  void Append(const char* bytes, qsizetype size) { pending_.append(bytes, size); }
  void Append(const QByteArray& bytes) { pending_.append(bytes); }
  std::optional<QByteArray> Next();
  bool IsEmpty() const { return pending_.size() == read_; }

 private:
  QByteArray pending_;
  qsizetype read_ = 0;  // bytes of pending_ already handed out
};

}  // namespace vistarel
