#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vistarel {

// Finds an executable by name on PATH; empty text when there is none.
using PathLookup = std::function<QString(const QString& name)>;
// The lookup of the running system (QStandardPaths::findExecutable).
PathLookup SystemPathLookup();

// An application of the desktop, by its desktop entry.
struct DesktopApplication {
  QString id;  // the desktop file id, such as "org.gnome.Gnumeric.desktop"
  QString name;
};

// The desktop's default application for a MIME type, as GIO finds it by the
// XDG rules for MIME applications (the user's and the desktop's default lists,
// then the associations). None when no usable one is installed; an entry that
// runs in a terminal does not count.
std::optional<DesktopApplication> DefaultApplicationFor(const QString& mimeType);

// Starts a desktop application on local files, as its entry's Exec line wants
// them; false when it cannot be started.
bool LaunchDesktopApplication(const QString& id, const QStringList& files);

}  // namespace vistarel
