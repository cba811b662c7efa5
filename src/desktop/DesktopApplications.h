#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace vistarel {

// Finds an executable by name on PATH; empty text when there is none.
using PathLookup = std::function<QString(const QString& name)>;
// The lookup of the running system (QStandardPaths::findExecutable).
PathLookup SystemPathLookup();

// How to start a desktop application on files. The arguments may hold the
// field codes of a desktop entry's Exec line: %f and %u for one file, %F and %U
// for all files, %i, %c, %k and %%.
struct LaunchCommand {
  QString program;  // an absolute path
  QStringList arguments;
  QString name;       // for %c
  QString icon;       // for %i
  QString entryPath;  // for %k
};

// The argument lists that start `command` on `files`: one list for a program
// that takes many files, one list per file for a program that takes one. A
// command without a file code gets the files appended.
std::vector<QStringList> ExpandCommand(const LaunchCommand& command, const QStringList& files);

// An Exec value split into arguments by the quoting rules of desktop entries;
// empty when the value is malformed (an open quote).
QStringList SplitExec(const QString& exec);

// The folders of the XDG base directory rules, the user's own first, and the
// names of the running desktop (XDG_CURRENT_DESKTOP), lower-cased.
struct XdgDirs {
  QStringList config;
  QStringList data;
  QStringList desktops;
};
XdgDirs SystemXdgDirs();

// The desktop's default application for a MIME type, by the XDG rules for MIME
// applications: the first installed entry of the Default Applications lists
// (desktop-specific lists first), else an associated application that is
// installed and not removed. Nothing when no usable entry is installed; an
// entry that runs in a terminal does not count.
std::optional<LaunchCommand> DefaultApplication(const QString& mimeType, const XdgDirs& dirs,
                                                const PathLookup& findOnPath);

}  // namespace vistarel
