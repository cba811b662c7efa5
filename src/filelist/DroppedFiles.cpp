#include "filelist/DroppedFiles.h"

#include <QMimeData>
#include <QUrl>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "platform/FileSystem.h"
#include "system/FileUrls.h"

namespace vistarel {

using namespace Qt::StringLiterals;

std::optional<QStringList> DroppedPaths(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls())
    return std::nullopt;
  const QList<QUrl> urls = data->urls();
  if (urls.isEmpty())
    return std::nullopt;
  QStringList paths;
  paths.reserve(urls.size());
  for (const QUrl& url : urls) {
    QString path = LocalPathOfUrl(url);
    if (path.isEmpty())
      return std::nullopt;
    paths.append(std::move(path));
  }
  return paths;
}

bool IsDroppedFolder(const QString& path, IFileSystem& fileSystem) {
  try {
    return (fileSystem.GetAttributes(path) & file_attribute::kDirectory) != 0;
  } catch (const Failure&) {
    return false;
  }
}

}  // namespace vistarel
