#include "gui/DesktopLauncher.h"

#include <QDesktopServices>
#include <QProcess>

namespace vistarel {

bool DesktopLauncher::OpenUrl(const QUrl& url) {
  return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::StartDetached(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

}  // namespace vistarel
