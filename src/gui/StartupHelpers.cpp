#include "gui/StartupHelpers.h"

#include <QFileInfo>
#include <QUrl>

#include <cmath>

#include "base/Addresses.h"
#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "platform/Clock.h"
#include "platform/Launcher.h"

namespace vistarel {

using namespace Qt::StringLiterals;

bool FileExists(const QString& path) {
  if (path.isEmpty() || path.endsWith(kPathSeparator)) return false;
  // stat only: nothing opens the path, so a FIFO cannot block here.
  return QFileInfo::exists(path);
}

bool IsDevelopmentRun(const QString& programFolder) {
  if (programFolder.isEmpty()) return true;  // the run mode cannot be told
  return QFileInfo::exists(ProgramFile(programFolder, QString::fromUtf16(kDevelopmentRunMarker)));
}

void MaybeOpenHomePage(IClock& clock, IRandom& random, ILauncher& launcher) {
  random.Seed(clock.SecondsSinceMidnight());
  const int n = static_cast<int>(std::floor(random.Next() * 100.0)) + 1;
  if (n != 7) return;
  const QUrl page(QString::fromUtf16(kHomePage));
  if (!launcher.OpenUrl(page)) {
    throw Failure(u"The home page could not be opened: "_s + page.toString());
  }
}

QString ProgramFile(const QString& programFolder, const QString& relativeName) {
  return programFolder + kPathSeparator + relativeName;
}

}  // namespace vistarel
