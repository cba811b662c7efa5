// Finds the desktop's default application for a MIME type and, given files,
// starts it on them, under the XDG folders a test sets in the environment:
// GIO reads those folders once per process. Prints "<id>\t<name>", or "none".
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "desktop/DesktopApplications.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  if (arguments.isEmpty())
    return 2;
  const QString mimeType = arguments.takeFirst();
  const auto found = vistarel::DefaultApplicationFor(mimeType);
  if (!found) {
    std::puts("none");
    return 0;
  }
  std::printf("%s\t%s\n", found->id.toUtf8().constData(), found->name.toUtf8().constData());
  if (!arguments.isEmpty() && !vistarel::LaunchDesktopApplication(found->id, arguments))
    return 1;
  return 0;
}
