#include "extract/ExtractionRun.h"

#include "base/PathHelpers.h"

namespace vistarel {

using namespace Qt::StringLiterals;

double ProgressValue(int j, int count) {
  return double(j) / double(count) * 100.0;
}

QString ProcessingCaption(const QString& path) {
  return u"Processing: "_s + FileNameOf(path);
}

const FixedColumn& ColumnOfSubItem(int subItem) {
  return FixedColumns().at(size_t(subItem));
}

QString TrimBlanks(const QString& text) {
  qsizetype first = 0;
  qsizetype end = text.size();
  while (first < end && text[first] == u' ') ++first;
  while (end > first && text[end - 1] == u' ') --end;
  return text.mid(first, end - first);
}

bool SameDisplayName(const QString& baseName, const QString& displayName) {
  return baseName.toLower() == displayName.toLower();
}

QString RunTimeColumnHeader(const QString& propertyName) {
  return QString::fromUtf16(kRunTimeColumnPrefix) + propertyName;
}

}  // namespace vistarel
