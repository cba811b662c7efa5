#include "filelist/CommandLine.h"

#include <QCommandLineParser>
#include <QUrl>

#include <cstdio>

#include "base/Addresses.h"
#include "base/PathHelpers.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"
#include "system/FileUrls.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr int kWrongUsage = 2;

// The options Qt's application object takes for itself. They are accepted and
// handed to it, so that a session manager's restart (-session) or a user's
// -style still works; they are not ours to list in the help.
struct ToolkitOption {
  const char16_t* name;
  bool takesValue;
};
constexpr ToolkitOption kToolkitOptions[] = {
    {u"platform", true},        {u"platformpluginpath", true},
    {u"platformtheme", true},   {u"plugin", true},
    {u"qwindowgeometry", true}, {u"qwindowicon", true},
    {u"qwindowtitle", true},    {u"session", true},
    {u"display", true},         {u"geometry", true},
    {u"style", true},           {u"stylesheet", true},
    {u"reverse", false},        {u"widgetcount", false},
};

// The parser names the program by the path it was started by, or by a
// stand-in before the application object exists; the command's name is meant.
QString Usage(const QCommandLineParser& parser) {
  const QString text = parser.helpText();
  return u"Usage: vistarel [options] [PATH|URI...]"_s + text.mid(text.indexOf(u'\n'));
}

// The path with its "." steps and doubled separators taken out. ".." stays:
// taking it out by text would be wrong after a link to a folder.
QString WithoutEmptySteps(const QString& path) {
  QStringList steps = path.split(kPathSeparator);
  steps.removeIf([](const QString& step) { return step.isEmpty() || step == u"."_s; });
  return kPathSeparator + steps.join(kPathSeparator);
}

// "file:" and "scheme://" start a URI; any other argument is a path, even one
// with a colon in its name.
bool IsUri(const QString& argument) {
  if (argument.startsWith(u"file:"_s, Qt::CaseInsensitive))
    return true;
  const qsizetype end = argument.indexOf(u"://"_s);
  if (end <= 0)
    return false;
  const auto isAsciiLetter = [](char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
  };
  for (qsizetype i = 0; i < end; ++i) {
    const char16_t c = argument[i].unicode();
    const bool allowed =
        isAsciiLetter(c) ||
        (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
    if (!allowed)
      return false;
  }
  return true;
}

// The local path an argument names; empty text when it names none (another
// scheme or host, an empty argument, a relative path when the working folder
// is gone).
QString PathOfArgument(const QString& argument, const QString& workingFolder) {
  if (argument.isEmpty())
    return {};
  if (IsUri(argument))
    return LocalPathOfUrl(QUrl(argument));
  if (argument.startsWith(kPathSeparator))
    return WithoutEmptySteps(argument);
  if (workingFolder.isEmpty())
    return {};
  return WithoutEmptySteps(workingFolder + kPathSeparator + argument);
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments, const QString& workingFolder) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(
      u"Reads the technical metadata of video files into one table.\n"
      "Each PATH, a file or a folder, and each file:// URI goes into the list of\n"
      "files as a drop on the list would put it: a folder with every file of its tree."_s);
  const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help and exit."_s);
  const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version and exit."_s);
  parser.addOption(help);
  parser.addOption(version);
  for (const ToolkitOption& toolkit : kToolkitOptions) {
    QCommandLineOption option(QString::fromUtf16(toolkit.name), QString(),
                              toolkit.takesValue ? u"value"_s : QString());
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  parser.addPositionalArgument(u"PATH|URI"_s, u"Files, folders and file:// URIs for the list."_s,
                               u"[PATH|URI...]"_s);

  CommandLine line;
  if (!parser.parse(arguments)) {
    line.exitStatus = kWrongUsage;
    line.error = u"vistarel: "_s + parser.errorText() + u'\n' + Usage(parser);
    return line;
  }
  if (parser.isSet(help)) {
    line.exitStatus = 0;
    line.out = Usage(parser);
    return line;
  }
  if (parser.isSet(version)) {
    line.exitStatus = 0;
    line.out = QString::fromUtf16(kProductName) + u' ' + QStringLiteral(VISTAREL_VERSION) + u'\n';
    return line;
  }

  line.toolkitArguments.append(arguments.value(0, u"vistarel"_s));
  for (const ToolkitOption& toolkit : kToolkitOptions) {
    const QString name = QString::fromUtf16(toolkit.name);
    if (!toolkit.takesValue) {
      if (parser.isSet(name))
        line.toolkitArguments.append(u'-' + name);
      continue;
    }
    for (const QString& value : parser.values(name)) line.toolkitArguments << u'-' + name << value;
  }
  for (const QString& argument : parser.positionalArguments()) {
    const QString path = PathOfArgument(argument, workingFolder);
    if (path.isEmpty())
      line.error += u"vistarel: not a local file or folder, left out: '"_s + argument + u"'\n"_s;
    else
      line.paths.append(path);
  }
  return line;
}

CommandLine ReadCommandLine(int argc, const char* const* argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i)
    arguments.append(DecodeFileName(argv[i], qsizetype(qstrlen(argv[i]))));
  CommandLine line = ParseCommandLine(arguments, CurrentFolder());
  // The texts carry the arguments' own bytes back, as they were typed.
  std::fputs(EncodeFileName(line.out).constData(), stdout);
  std::fputs(EncodeFileName(line.error).constData(), stderr);
  std::fflush(stdout);
  return line;
}

ToolkitArgv::ToolkitArgv(const QStringList& arguments) : argc_(int(arguments.size())) {
  for (const QString& argument : arguments) bytes_.append(EncodeFileName(argument));
  for (QByteArray& bytes : bytes_) pointers_.push_back(bytes.data());
  pointers_.push_back(nullptr);
}

}  // namespace vistarel
