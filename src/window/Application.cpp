#include "window/Application.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "base/Addresses.h"
#include "desktop/FactsShellFolder.h"
#include "desktop/HelperFileSystem.h"
#include "desktop/QtSettingsStore.h"
#include "desktop/SystemClock.h"
#include "desktop/XlsxSpreadsheet.h"
#include "filelist/CommandLine.h"
#include "gui/DesktopLauncher.h"
#include "gui/QtClipboard.h"
#include "gui/QtDialogs.h"
#include "gui/StyleSheetSkinEngine.h"
#include "gui/WindowPlacement.h"
#include "media/MediaWorkers.h"
#include "system/CharacterType.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0')
      return true;
  }
  return false;
}

}  // namespace

int RunApplication(int argc, char** argv) {
  // --help, --version and a wrong option need no display.
  const CommandLine commandLine = ReadCommandLine(argc, argv);
  if (commandLine.exitStatus)
    return *commandLine.exitStatus;

  if (!HasDisplay()) {
    std::fputs(
        "vistarel: no display to show the window on; start it on a virtual one with: "
        "xvfb-run -a vistarel\n",
        stderr);
    return 1;
  }

  ToolkitArgv toolkitArgv(commandLine.toolkitArguments);
  const auto application =
      MakeApplicationWithUtf8CharacterType<QApplication>(toolkitArgv.argc(), toolkitArgv.argv());
  QApplication::setOrganizationName(u"Quorvane"_s);
  QApplication::setApplicationName(QString::fromUtf16(kProductName));
  QApplication::setDesktopFileName(u"com.quorvane.Vistarel"_s);

  QtDialogs dialogs;
  QtSettingsStore settings;
  SystemClock clock;
  SystemRandom random;
  DesktopLauncher launcher;
  QtClipboard clipboard;
  XlsxSpreadsheet spreadsheet(launcher);
  StyleSheetSkinEngine skin;
  // The window never looks at the disk: the media workers beside it read the
  // files and gather what the file-system object and the shell show of them,
  // and the folder walks and the text save ask helpers of the same program.
  const HelperCommand worker{QCoreApplication::applicationDirPath() + u"/vistarel-media-worker"_s,
                             {}};
  MediaWorkers fileReader(worker);
  HelperFileSystem fileSystem(worker);
  FactsShell shell;

  Platform platform;
  platform.programFolder = QCoreApplication::applicationDirPath();
  platform.dialogs = &dialogs;
  platform.settings = &settings;
  platform.clock = &clock;
  platform.random = &random;
  platform.launcher = &launcher;
  platform.clipboard = &clipboard;
  platform.spreadsheet = &spreadsheet;
  platform.skin = &skin;
  platform.fileReader = &fileReader;
  platform.fileSystem = &fileSystem;
  platform.shell = &shell;

  Form1 window(platform);
  // Closed while start-up was still running (during the splash): the event
  // loop never started, so there is nothing left to quit.
  if (window.Pump().IsClosing())
    return 0;
  ShowCentred(window);
  // Paths given on the command line, as a file manager's "Open With" gives
  // them, go into the list once the window shows.
  if (!commandLine.paths.isEmpty())
    QTimer::singleShot(0, &window,
                       [&window, &commandLine] { window.AddAsDropped(commandLine.paths); });
  return QApplication::exec();
}

}  // namespace vistarel
