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
  // Starts an application of the desktop, by its desktop file id, on local files.
  virtual bool StartDesktopApplication(const QString& desktopId, const QStringList& files) = 0;
};

}  // namespace vistarel
