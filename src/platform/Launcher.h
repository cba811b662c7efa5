#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace vistarel {

// Opens pages and folders and starts programs. Never through a shell command line.
class ILauncher {
 public:
  virtual ~ILauncher() = default;
  virtual bool OpenUrl(const QUrl& url) = 0;
  virtual bool StartDetached(const QString& program, const QStringList& arguments) = 0;
};

}  // namespace vistarel
