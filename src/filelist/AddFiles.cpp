#include "filelist/AddFiles.h"

#include "base/PathHelpers.h"

namespace vistarel {

using namespace Qt::StringLiterals;

QList<FileFilter> AddFilesFilters() {
  return {
      {u"Video Files (*.avi;*.mpg;*.mpeg;*.flv;*.wmv;*.mov;*.mp4)"_s,
       {u"*.avi"_s, u"*.mpg"_s, u"*.mpeg"_s, u"*.flv"_s, u"*.wmv"_s, u"*.mov"_s, u"*.mp4"_s}},
      {u"All Files (*.*)"_s, {u"*"_s}},
  };
}

qsizetype SelectionBufferLength(const QStringList& paths) {
  if (paths.isEmpty())
    return 0;
  QString folder = FolderOf(paths.constFirst());
  if (folder.size() > 1)
    folder.chop(1);  // the root keeps its separator
  qsizetype length = folder.size() + 1;
  for (const QString& path : paths) length += FileNameOf(path).size() + 1;
  return length + 1;
}

QString TooManyFilesMessage() {
  return u"You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."_s;
}

}  // namespace vistarel
