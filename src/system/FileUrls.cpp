#include "system/FileUrls.h"

#include <QSysInfo>

#include "system/FileNames.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// File managers name this machine with no host, "localhost" or its own name.
bool IsThisMachine(const QString& host) {
  return host.isEmpty() || host.compare(u"localhost"_s, Qt::CaseInsensitive) == 0 ||
         host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString LocalPathOfUrl(const QUrl& url) {
  if (!url.isValid() || url.scheme().compare(u"file"_s, Qt::CaseInsensitive) != 0 ||
      !IsThisMachine(url.host()) || url.hasQuery() || url.hasFragment()) {
    return {};
  }
  const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  if (!bytes.startsWith('/') || bytes.contains('\0'))
    return {};
  return DecodeFileName(bytes);
}

QUrl LocalFileUrl(const QString& path) {
  QUrl url;
  url.setScheme(u"file"_s);
  url.setPath(QString::fromLatin1(EncodeFileName(path).toPercentEncoding("/")), QUrl::TolerantMode);
  return url;
}

}  // namespace vistarel
