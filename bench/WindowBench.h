#pragma once

#include <QString>
#include <QtGlobal>
#include <QStringList>
#include <QUrl>

#include "platform/Launcher.h"

namespace vistarel {

// The benches show the window offscreen unless QT_QPA_PLATFORM or DISPLAY say
// otherwise. Call before the application is made.
inline void ShowOffscreenUnlessTold() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Starts nothing; keeps the file it was handed, so the bench can weigh the
// workbook the spreadsheet program would have opened.
class NoLauncher final : public ILauncher {
 public:
  bool OpenUrl(const QUrl&) override { return true; }
  bool StartDetached(const QString&, const QStringList& arguments) override {
    file = arguments.value(arguments.size() - 1);
    return true;
  }
  bool StartDesktopApplication(const QString&, const QStringList& files) override {
    file = files.value(files.size() - 1);
    return true;
  }
  QString file;
};

}  // namespace vistarel
