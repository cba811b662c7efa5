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

void RequireHandle(const MediaAnswers& media) {
  if (media.noHandle)
    throw *media.noHandle;
}

void RequireOpened(const MediaAnswers& media) {
  RequireHandle(media);
  if (media.stopped)
    throw *media.stopped;
}

QString MediaCell(const MediaAnswers& media, int subItem) {
  RequireHandle(media);
  return media.values.value(subItem - 1);
}

bool SameDisplayName(const QString& baseName, const QString& displayName) {
  return baseName.toLower() == displayName.toLower();
}

QString RunTimeColumnHeader(const QString& propertyName) {
  return QString::fromUtf16(kRunTimeColumnPrefix) + propertyName;
}

}  // namespace vistarel
