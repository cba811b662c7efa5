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

// The largest message there is: a file's answers and a walk's listings are
// far smaller, so a frame that claims more is no message of ours.
inline constexpr qsizetype kMaxFrame = 16 << 20;

// Takes what a pipe brings and hands out whole message bodies, in order. A
// frame that claims more than kMaxFrame breaks the stream: nothing more is
// handed out, and the reader holds no more than one frame's worth.
class FrameReader {
 public:
  void Append(const char* bytes, qsizetype size);
  void Append(const QByteArray& bytes) { Append(bytes.constData(), bytes.size()); }
  std::optional<QByteArray> Next();
  bool IsEmpty() const { return pending_.size() == read_; }
  // A frame claimed more than kMaxFrame.
  bool IsBroken() const { return broken_; }

 private:
  QByteArray pending_;
  qsizetype read_ = 0;  // bytes of pending_ already handed out
  bool broken_ = false;
};

}  // namespace vistarel
