#include "workbook/XlsxCellText.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Every UTF-16 unit costs at most this many characters once spelled out.
constexpr qsizetype kLongestSpelling = 7;  // _xHHHH_

// Characters XML 1.0 cannot carry, and the carriage return, which an XML
// reader would turn into a line feed.
bool NeedsSpelling(char16_t c) {
  return (c < 0x20 && c != u'\t' && c != u'\n') || c == 0xFFFE || c == 0xFFFF;
}

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A literal "_xHHHH_" at `at`, which a reader would decode as one character.
bool IsSpelledForm(const QString& text, qsizetype at) {
  if (at + 6 >= text.size() || text[at] != u'_' || text[at + 6] != u'_')
    return false;
  if (text[at + 1] != u'x' && text[at + 1] != u'X')
    return false;
  for (qsizetype i = at + 2; i < at + 6; ++i) {
    if (!IsHexDigit(text[i].unicode()))
      return false;
  }
  return true;
}

bool IsPairAt(const QString& text, qsizetype at) {
  return at + 1 < text.size() && QChar::isHighSurrogate(text[at].unicode()) &&
         QChar::isLowSurrogate(text[at + 1].unicode());
}

void AppendSpelled(QString& out, char16_t c) {
  out += u"_x"_s;
  out += QString::number(c, 16).rightJustified(4, u'0').toUpper();
  out += u'_';
}

constexpr std::array<std::pair<char32_t, char32_t>, 14> kWideRanges = {{
    {0x1100, 0x115F},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},
    {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF},
    {0x20000, 0x3FFFD},
}};

int CharacterWidth(char32_t c) {
  if (c < 0x20)
    return c == U'\t' ? 1 : 0;
  switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
      return 0;
    default:
      break;
  }
  for (const auto& [first, last] : kWideRanges) {
    if (c >= first && c <= last)
      return 2;
  }
  return 1;
}

}  // namespace

qsizetype CellTextFit(const QString& text) {
  const qsizetype size = text.size();
  if (size <= kMaxCellCharacters / kLongestSpelling)
    return size;
  qsizetype spelled = 0;  // characters, as the library counts them
  for (qsizetype at = 0; at < size;) {
    const char16_t c = text[at].unicode();
    const qsizetype units = IsPairAt(text, at) ? 2 : 1;
    const qsizetype cost =
        units == 1 && (NeedsSpelling(c) || IsSpelledForm(text, at)) ? kLongestSpelling : 1;
    if (spelled + cost > kMaxCellCharacters || at + units > kMaxCellCharacters)
      return at;
    spelled += cost;
    at += units;
  }
  return size;
}

QByteArray CellTextBytes(const QString& text) {
  const bool plain = std::none_of(text.begin(), text.end(), [](QChar ch) {
    const char16_t c = ch.unicode();
    return c < 0x20 || c == u'_' || QChar::isSurrogate(c) || c >= 0xFFFE;
  });
  if (plain)
    return text.toUtf8();

  QString spelled;
  spelled.reserve(text.size() + 16);
  for (qsizetype at = 0; at < text.size(); ++at) {
    const char16_t c = text[at].unicode();
    if (IsPairAt(text, at)) {
      spelled += text[at];
      spelled += text[++at];
    } else if (QChar::isSurrogate(c)) {
      spelled += QChar::ReplacementCharacter;
    } else if (NeedsSpelling(c) || IsSpelledForm(text, at)) {
      AppendSpelled(spelled, c);
    } else {
      spelled += QChar(c);
    }
  }
  return spelled.toUtf8();
}

int CellTextWidth(const QString& text) {
  int widest = 0;
  int line = 0;
  for (qsizetype at = 0; at < text.size(); ++at) {
    char32_t c = text[at].unicode();
    if (IsPairAt(text, at)) {
      c = QChar::surrogateToUcs4(text[at], text[at + 1]);
      ++at;
    }
    if (c == U'\n') {
      widest = std::max(widest, line);
      line = 0;
    } else {
      line += CharacterWidth(c);
    }
  }
  return std::max(widest, line);
}

}  // namespace vistarel
