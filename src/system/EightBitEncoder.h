#pragma once

#include <QByteArray>
#include <QString>

#include <iconv.h>

namespace vistarel {

// Turns text into the 8-bit text of an encoding named as the locale names it
// ("UTF-8", "ISO-8859-1", "KOI8-R", "EUC-JP", ...). A character the encoding
// cannot hold becomes "?", and so does a lone surrogate (a byte of a file name
// that was not valid UTF-8). An encoding the system does not know gives UTF-8.
class EightBitEncoder {
 public:
  explicit EightBitEncoder(const QByteArray& encoding);
  ~EightBitEncoder();
  EightBitEncoder(const EightBitEncoder&) = delete;
  EightBitEncoder& operator=(const EightBitEncoder&) = delete;

  QByteArray Encode(const QString& text);

 private:
  // Null for UTF-8, which needs no conversion.
  iconv_t converter_ = nullptr;
};

// Lines of 8-bit text in the encoding of the user's locale (UserCodeset), "?"
// for what it cannot hold, each ended by CR LF, gathered into large pieces:
// one system call per line would cost more than building the line.
class TextLines {
 public:
  TextLines();

  void Append(const QString& line);
  // True once enough is gathered to be written.
  bool IsFull() const;
  // What is gathered so far, handed over.
  QByteArray Take();

 private:
  EightBitEncoder encoder_;
  QByteArray pending_;
};

}  // namespace vistarel
