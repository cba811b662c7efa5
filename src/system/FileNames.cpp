#include "system/FileNames.h"

namespace vistarel {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscapedByte(char16_t unit) {
  return unit >= 0xDC80 && unit <= 0xDCFF;
}

// Length of the valid UTF-8 sequence starting at `at`, or 0 when it is invalid
// (overlong forms, surrogates and code points past U+10FFFF included).
qsizetype ValidSequenceLength(const unsigned char* s, qsizetype at, qsizetype size) {
  const unsigned char lead = s[at];
  if (lead < 0x80)
    return 1;
  qsizetype length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0;
    if (lead == 0xED)
      high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > size)
    return 0;
  if (s[at + 1] < low || s[at + 1] > high)
    return 0;
  for (qsizetype i = 2; i < length; ++i) {
    if (s[at + i] < 0x80 || s[at + i] > 0xBF)
      return 0;
  }
  return length;
}

}  // namespace

QString DecodeFileName(const char* bytes, qsizetype size) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes);
  qsizetype at = 0;
  while (at < size) {
    const qsizetype length = ValidSequenceLength(s, at, size);
    if (length == 0)
      break;
    at += length;
  }
  if (at == size)
    return QString::fromUtf8(bytes, size);

  QString name;
  name.reserve(size);
  at = 0;
  while (at < size) {
    const qsizetype length = ValidSequenceLength(s, at, size);
    if (length == 0) {
      name.append(QChar(static_cast<char16_t>(kEscapeBase + s[at])));
      ++at;
    } else {
      name.append(QString::fromUtf8(bytes + at, length));
      at += length;
    }
  }
  return name;
}

QByteArray EncodeFileName(const QString& name) {
  if (!HasUndecodableBytes(name))
    return name.toUtf8();
  QByteArray bytes;
  bytes.reserve(name.size() * 3);
  const qsizetype size = name.size();
  for (qsizetype i = 0; i < size; ++i) {
    const char16_t unit = name[i].unicode();
    if (QChar::isHighSurrogate(unit) && i + 1 < size && name[i + 1].isLowSurrogate()) {
      bytes.append(name.mid(i, 2).toUtf8());
      ++i;
    } else if (IsEscapedByte(unit)) {
      bytes.append(static_cast<char>(unit - kEscapeBase));
    } else {
      bytes.append(QString(QChar(unit)).toUtf8());
    }
  }
  return bytes;
}

bool HasUndecodableBytes(const QString& name) {
  const qsizetype size = name.size();
  for (qsizetype i = 0; i < size; ++i) {
    const char16_t unit = name[i].unicode();
    if (!IsEscapedByte(unit))
      continue;
    // A low surrogate right after a high one is half of a real character.
    if (i > 0 && name[i - 1].isHighSurrogate())
      continue;
    return true;
  }
  return false;
}

}  // namespace vistarel
