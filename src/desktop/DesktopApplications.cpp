#include "desktop/DesktopApplications.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Larger files are no desktop entries or MIME lists of ours to read.
constexpr qint64 kMaxKeyFileSize = 1 << 20;

// The groups of a key file ([Group] then key=value lines), raw values.
using KeyFile = QHash<QString, QHash<QString, QString>>;

// Reads only regular files: a FIFO in the search path must not block the window.
KeyFile ReadKeyFile(const QString& path) {
  KeyFile groups;
  const QFileInfo info(path);
  if (!info.isFile() || info.size() > kMaxKeyFileSize)
    return groups;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return groups;
  const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
  QHash<QString, QString>* group = nullptr;
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(u'#'))
      continue;
    if (line.startsWith(u'[') && line.endsWith(u']')) {
      group = &groups[line.mid(1, line.size() - 2)];
      continue;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (group == nullptr || equals <= 0)
      continue;
    const QString key = line.left(equals).trimmed();
    if (!group->contains(key))
      group->insert(key, line.mid(equals + 1).trimmed());
  }
  return groups;
}

QString Value(const KeyFile& file, const QString& group, const QString& key) {
  return file.value(group).value(key);
}

// The escapes of a string value: \s \n \t \r \\ (and \; inside lists).
QString Unescape(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] != u'\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const QChar next = value[++i];
    if (next == u's') {
      out += u' ';
    } else if (next == u'n') {
      out += u'\n';
    } else if (next == u't') {
      out += u'\t';
    } else if (next == u'r') {
      out += u'\r';
    } else {
      out += next;
    }
  }
  return out;
}

QStringList List(const KeyFile& file, const QString& group, const QString& key) {
  QStringList items;
  QString item;
  const QString value = Value(file, group, key);
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] == u'\\' && i + 1 < value.size()) {
      item += value[i];
      item += value[++i];
    } else if (value[i] == u';') {
      if (!item.isEmpty())
        items += Unescape(item);
      item.clear();
    } else {
      item += value[i];
    }
  }
  if (!item.isEmpty())
    items += Unescape(item);
  return items;
}

QString ResolveProgram(const QString& program, const PathLookup& findOnPath) {
  if (program.isEmpty())
    return {};
  if (program.startsWith(u'/')) {
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable() ? program : QString();
  }
  return findOnPath(program);
}

// The entry of a desktop file id, when it is an application we can start.
std::optional<LaunchCommand> LoadEntry(const QString& id, const XdgDirs& dirs,
                                       const PathLookup& findOnPath) {
  for (const QString& dir : dirs.data) {
    const QString path = dir + u"/applications/"_s + id;
    if (!QFileInfo(path).isFile())
      continue;
    // The first file of an id hides the others, usable or not.
    const KeyFile entry = ReadKeyFile(path);
    const QString group = u"Desktop Entry"_s;
    if (Value(entry, group, u"Type"_s) != u"Application"_s ||
        Value(entry, group, u"Hidden"_s) == u"true"_s ||
        Value(entry, group, u"Terminal"_s) == u"true"_s) {
      return std::nullopt;
    }
    const QString tryExec = Unescape(Value(entry, group, u"TryExec"_s));
    if (!tryExec.isEmpty() && ResolveProgram(tryExec, findOnPath).isEmpty())
      return std::nullopt;
    QStringList exec = SplitExec(Unescape(Value(entry, group, u"Exec"_s)));
    if (exec.isEmpty())
      return std::nullopt;
    LaunchCommand command;
    command.program = ResolveProgram(exec.takeFirst(), findOnPath);
    if (command.program.isEmpty())
      return std::nullopt;
    command.arguments = exec;
    command.name = Unescape(Value(entry, group, u"Name"_s));
    command.icon = Unescape(Value(entry, group, u"Icon"_s));
    command.entryPath = path;
    return command;
  }
  return std::nullopt;
}

// The MIME application lists in the order of their weight.
QStringList MimeAppsLists(const XdgDirs& dirs) {
  QStringList lists;
  const auto add = [&](const QString& folder) {
    for (const QString& desktop : dirs.desktops)
      lists += folder + u'/' + desktop + u"-mimeapps.list"_s;
    lists += folder + u"/mimeapps.list"_s;
  };
  for (const QString& dir : dirs.config) add(dir);
  for (const QString& dir : dirs.data) add(dir + u"/applications"_s);
  return lists;
}

bool IsFileCode(const QString& argument, QStringView codes) {
  for (qsizetype i = 0; i + 1 < argument.size(); ++i) {
    if (argument[i] != u'%')
      continue;
    if (codes.contains(argument[i + 1]))
      return true;
    ++i;  // %% and the other codes
  }
  return false;
}

QString UrlOf(const QString& file) {
  return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
}

// One argument with its field codes replaced; %F and %U standing alone are
// handled by the caller.
QString ExpandArgument(const LaunchCommand& command, const QString& argument, const QString& file) {
  QString out;
  for (qsizetype i = 0; i < argument.size(); ++i) {
    if (argument[i] != u'%' || i + 1 == argument.size()) {
      out += argument[i];
      continue;
    }
    const char16_t code = argument[++i].unicode();
    if (code == u'%') {
      out += u'%';
    } else if (code == u'f' || code == u'F') {
      out += file;
    } else if (code == u'u' || code == u'U') {
      out += file.isEmpty() ? QString() : UrlOf(file);
    } else if (code == u'c') {
      out += command.name;
    } else if (code == u'k') {
      out += command.entryPath;
    }
    // Every other code, deprecated or unknown, expands to nothing.
  }
  return out;
}

QStringList ExpandOnce(const LaunchCommand& command, const QStringList& files,
                       const QString& file) {
  QStringList arguments;
  for (const QString& argument : command.arguments) {
    if (argument == u"%F"_s) {
      arguments += files;
    } else if (argument == u"%U"_s) {
      for (const QString& each : files) arguments += UrlOf(each);
    } else if (argument == u"%i"_s) {
      if (!command.icon.isEmpty())
        arguments += {u"--icon"_s, command.icon};
    } else {
      const QString expanded = ExpandArgument(command, argument, file);
      // A code standing alone that expanded to nothing leaves no empty argument.
      if (!expanded.isEmpty() || !argument.startsWith(u'%') || argument.size() != 2) {
        arguments += expanded;
      }
    }
  }
  return arguments;
}

}  // namespace

PathLookup SystemPathLookup() {
  return [](const QString& name) { return QStandardPaths::findExecutable(name); };
}

QStringList SplitExec(const QString& exec) {
  QStringList arguments;
  QString current;
  bool inArgument = false;
  bool quoted = false;
  for (qsizetype i = 0; i < exec.size(); ++i) {
    const QChar c = exec[i];
    if (quoted) {
      if (c == u'\\' && i + 1 < exec.size() && u"\"`$\\"_s.contains(exec[i + 1])) {
        current += exec[++i];
      } else if (c == u'"') {
        quoted = false;
      } else {
        current += c;
      }
    } else if (c == u' ' || c == u'\t') {
      if (inArgument)
        arguments += current;
      current.clear();
      inArgument = false;
    } else if (c == u'"') {
      quoted = true;
      inArgument = true;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (quoted)
    return {};
  if (inArgument)
    arguments += current;
  return arguments;
}

std::vector<QStringList> ExpandCommand(const LaunchCommand& command, const QStringList& files) {
  const bool takesMany = std::any_of(command.arguments.begin(), command.arguments.end(),
                                     [](const QString& a) { return IsFileCode(a, u"FU"); });
  const bool takesOne = std::any_of(command.arguments.begin(), command.arguments.end(),
                                    [](const QString& a) { return IsFileCode(a, u"fu"); });
  if (takesMany || files.isEmpty())
    return {ExpandOnce(command, files, files.value(0))};
  if (takesOne) {
    std::vector<QStringList> lists;
    for (const QString& file : files) lists.push_back(ExpandOnce(command, {file}, file));
    return lists;
  }
  return {ExpandOnce(command, files, {}) + files};
}

XdgDirs SystemXdgDirs() {
  XdgDirs dirs;
  dirs.config = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
  dirs.data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
  for (const QString& desktop :
       qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts)) {
    dirs.desktops += desktop.toLower();
  }
  dirs.desktops.removeDuplicates();
  return dirs;
}

std::optional<LaunchCommand> DefaultApplication(const QString& mimeType, const XdgDirs& dirs,
                                                const PathLookup& findOnPath) {
  const QStringList lists = MimeAppsLists(dirs);
  for (const QString& list : lists) {
    for (const QString& id : List(ReadKeyFile(list), u"Default Applications"_s, mimeType)) {
      if (auto command = LoadEntry(id, dirs, findOnPath))
        return command;
    }
  }
  // No usable default: an application associated with the type will do.
  QSet<QString> removed;
  QStringList associated;
  for (const QString& list : lists) {
    const KeyFile file = ReadKeyFile(list);
    for (const QString& id : List(file, u"Removed Associations"_s, mimeType)) removed.insert(id);
    for (const QString& id : List(file, u"Added Associations"_s, mimeType)) {
      if (!removed.contains(id))
        associated += id;
    }
  }
  for (const QString& dir : dirs.data) {
    const KeyFile cache = ReadKeyFile(dir + u"/applications/mimeinfo.cache"_s);
    for (const QString& id : List(cache, u"MIME Cache"_s, mimeType)) {
      if (!removed.contains(id))
        associated += id;
    }
  }
  associated.removeDuplicates();
  for (const QString& id : associated) {
    if (auto command = LoadEntry(id, dirs, findOnPath))
      return command;
  }
  return std::nullopt;
}

}  // namespace vistarel
