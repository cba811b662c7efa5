#include "system/EightBitEncoder.h"

#include <algorithm>
#include <cerrno>

#include <strings.h>

#include "system/CharacterType.h"

namespace vistarel {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

bool IsUtf8(const QByteArray& encoding) {
  return strcasecmp(encoding.constData(), "UTF-8") == 0 ||
         strcasecmp(encoding.constData(), "utf8") == 0;
}

// UTF-8 with "?" for every lone surrogate. Most lines have none and are
// converted without a copy.
QByteArray Utf8WithoutLoneSurrogates(const QString& text) {
  const qsizetype size = text.size();
  const QChar* units = text.constData();
  qsizetype lone = -1;
  for (qsizetype i = 0; i < size && lone < 0; ++i) {
    if (units[i].isHighSurrogate() && i + 1 < size && units[i + 1].isLowSurrogate()) {
      ++i;
    } else if (units[i].isSurrogate()) {
      lone = i;
    }
  }
  if (lone < 0)
    return text.toUtf8();
  QString held = text;
  for (qsizetype i = lone; i < size; ++i) {
    if (held.at(i).isHighSurrogate() && i + 1 < size && held.at(i + 1).isLowSurrogate()) {
      ++i;
    } else if (held.at(i).isSurrogate()) {
      held[i] = u'?';
    }
  }
  return held.toUtf8();
}

// The bytes of the UTF-8 character that starts at `lead`.
size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0)
    return 4;
  if (lead >= 0xE0)
    return 3;
  if (lead >= 0xC0)
    return 2;
  return 1;
}

}  // namespace

EightBitEncoder::EightBitEncoder(const QByteArray& encoding) {
  if (IsUtf8(encoding))
    return;
  const iconv_t converter = iconv_open(encoding.constData(), "UTF-8");
  if (converter != kNoConverter)
    converter_ = converter;
}

EightBitEncoder::~EightBitEncoder() {
  if (converter_ != nullptr)
    iconv_close(converter_);
}

QByteArray EightBitEncoder::Encode(const QString& text) {
  QByteArray utf8 = Utf8WithoutLoneSurrogates(text);
  if (converter_ == nullptr)
    return utf8;

  QByteArray out;
  out.reserve(utf8.size() + 16);
  char buffer[1024];
  // Puts the converter back in its initial shift state, writing what that
  // takes, so that a "?" or the line end that follows reads as plain text.
  const auto reset = [&] {
    char* at = buffer;
    size_t room = sizeof buffer;
    iconv(converter_, nullptr, nullptr, &at, &room);
    out.append(buffer, at - buffer);
  };
  iconv(converter_, nullptr, nullptr, nullptr, nullptr);
  char* in = utf8.data();
  size_t inLeft = static_cast<size_t>(utf8.size());
  while (inLeft > 0) {
    char* at = buffer;
    size_t room = sizeof buffer;
    const size_t result = iconv(converter_, &in, &inLeft, &at, &room);
    const int error = errno;
    out.append(buffer, at - buffer);
    if (result != static_cast<size_t>(-1) || error == E2BIG)
      continue;
    // A character the encoding cannot hold.
    reset();
    out.append('?');
    const size_t skip = std::min(Utf8Length(static_cast<unsigned char>(*in)), inLeft);
    in += skip;
    inLeft -= skip;
  }
  reset();
  return out;
}

namespace {
constexpr qsizetype kWriteChunk = 1 << 20;
}  // namespace

TextLines::TextLines() : encoder_(UserCodeset()) {}

void TextLines::Append(const QString& line) {
  pending_.append(encoder_.Encode(line));
  pending_.append("\r\n", 2);
}

bool TextLines::IsFull() const {
  return pending_.size() >= kWriteChunk;
}

QByteArray TextLines::Take() {
  QByteArray taken;
  taken.swap(pending_);
  return taken;
}

}  // namespace vistarel
