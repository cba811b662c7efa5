#include "gui/DesktopLauncher.h"

#include <QDesktopServices>
#include <QProcess>

#include "desktop/DesktopApplications.h"

namespace vistarel {

bool DesktopLauncher::OpenUrl(const QUrl& url) {
  return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::StartDetached(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

bool DesktopLauncher::StartDesktopApplication(const QString& desktopId, const QStringList& files) {
  return LaunchDesktopApplication(desktopId, files);
}

}  // namespace vistarel
