#include "support/SheetReader.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

namespace vistarel::test {

using namespace Qt::StringLiterals;

namespace {

// unzip's exit code when the archive has no such member.
constexpr int kNoSuchMember = 11;

QByteArray Unzip(const QString& archive, const QString& member, QString& error,
                 bool optional = false) {
  QProcess unzip;
  unzip.start(u"unzip"_s, {u"-p"_s, archive, member});
  const bool finished = unzip.waitForFinished(60000);
  if (finished && optional && unzip.exitCode() == kNoSuchMember)
    return {};
  if (!finished || unzip.exitCode() != 0) {
    error = u"unzip failed for "_s + member + u": "_s +
            QString::fromLocal8Bit(unzip.readAllStandardError());
    return {};
  }
  return unzip.readAllStandardOutput();
}

// "BC12" as (12, 55).
std::pair<int, int> CellPosition(const QString& reference) {
  int column = 0;
  qsizetype at = 0;
  while (at < reference.size() && reference[at].isLetter()) {
    column = column * 26 + (reference[at].unicode() - u'A' + 1);
    ++at;
  }
  return {reference.mid(at).toInt(), column};
}

}  // namespace

QString DecodeEscapes(const QString& text) {
  static const QRegularExpression escape(u"_x([0-9A-Fa-f]{4})_"_s);
  QString out;
  qsizetype from = 0;
  for (auto it = escape.globalMatch(text); it.hasNext();) {
    const auto match = it.next();
    out += text.mid(from, match.capturedStart() - from);
    out += QChar(static_cast<char16_t>(match.captured(1).toUInt(nullptr, 16)));
    from = match.capturedEnd();
  }
  return out + text.mid(from);
}

ReadSheet ReadXlsx(const QString& path) {
  ReadSheet sheet;
  QStringList strings;
  // A sheet written row by row holds its texts in the cells, without this part.
  const QByteArray shared = Unzip(path, u"xl/sharedStrings.xml"_s, sheet.error, true);
  QXmlStreamReader sst(shared);
  while (!shared.isEmpty() && !sst.atEnd()) {
    if (sst.readNext() != QXmlStreamReader::StartElement)
      continue;
    if (sst.name() == u"si"_s)
      strings += QString();
    if (sst.name() == u"t"_s)
      strings.last() += DecodeEscapes(sst.readElementText());
  }
  if (sst.hasError())
    sheet.error = u"sharedStrings.xml: "_s + sst.errorString();

  const QByteArray data = Unzip(path, u"xl/worksheets/sheet1.xml"_s, sheet.error);
  QXmlStreamReader xml(data);
  std::pair<int, int> position;
  QString type;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement)
      continue;
    const auto attributes = xml.attributes();
    if (xml.name() == u"col"_s) {
      const int first = attributes.value(u"min"_s).toInt();
      const int last = attributes.value(u"max"_s).toInt();
      for (int c = first; c <= last; ++c) sheet.widths[c] = attributes.value(u"width"_s).toDouble();
    } else if (xml.name() == u"c"_s) {
      position = CellPosition(attributes.value(u"r"_s).toString());
      type = attributes.value(u"t"_s).toString();
      if (type != u"s"_s && type != u"inlineStr"_s)
        ++sheet.cellsNotText;
    } else if (xml.name() == u"f"_s) {
      ++sheet.formulas;
    } else if (xml.name() == u"v"_s) {
      const QString value = xml.readElementText();
      sheet.cells[position] = type == u"s"_s ? strings.value(value.toInt()) : value;
    } else if (xml.name() == u"t"_s) {  // the text of an inline string
      sheet.cells[position] += DecodeEscapes(xml.readElementText());
    }
  }
  if (xml.hasError())
    sheet.error = u"sheet1.xml: "_s + xml.errorString();
  return sheet;
}

}  // namespace vistarel::test
