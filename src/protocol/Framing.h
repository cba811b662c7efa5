#pragma once

#include <QByteArray>

#include <optional>

namespace vistarel {

// A helper reads its requests on descriptor 3 and answers on descriptor 4:
// whatever a library prints on standard output or error never reaches the
// window's reading, and leads nowhere.
inline constexpr int kHelperRequestFd = 3;
inline constexpr int kHelperAnswerFd = 4;

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
