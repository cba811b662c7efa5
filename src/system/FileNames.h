#pragma once

#include <QByteArray>
#include <QString>

namespace vistarel {

// File names are bytes on Linux, normally UTF-8. A name that is not valid UTF-8
// must still reach the file again, so each byte that does not decode is carried
// in the string as a lone surrogate U+DC80..U+DCFF and turned back into that
// byte on the way out. Qt's own name conversion replaces such bytes with U+FFFD
// and loses the file.
QString DecodeFileName(const char* bytes, qsizetype size);
inline QString DecodeFileName(const QByteArray& bytes) {
  return DecodeFileName(bytes.constData(), bytes.size());
}
QByteArray EncodeFileName(const QString& name);

// True when the name holds bytes that are not valid UTF-8.
bool HasUndecodableBytes(const QString& name);

}  // namespace vistarel
