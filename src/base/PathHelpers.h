#pragma once

#include <QChar>
#include <QString>

namespace vistarel {

// The platform's path separator: '/' here, '\' in a Windows build. A backslash
// is an ordinary character of a Linux file name.
#ifdef Q_OS_WIN
inline constexpr QChar kPathSeparator = u'\\';
#else
inline constexpr QChar kPathSeparator = u'/';
#endif

// The text after the last separator; the whole text when there is none.
QString FileNameOf(const QString& path);
// The text up to and including the last separator; empty when there is none.
QString FolderOf(const QString& path);
// The text before the last dot; the whole name when there is no dot.
QString NameWithoutExtension(const QString& name);

// The path without trailing separators; the root keeps its one.
QString WithoutTrailingSeparators(QString path);

// The text without its leading and trailing blanks (U+0020 only).
QString TrimBlanks(const QString& text);

// The folder and the name joined by one separator.
QString JoinPath(const QString& folder, const QString& name);
// The text after the last dot of the path's last element; empty when it has none.
QString ExtensionOf(const QString& path);

// Collapses the doubled separator that joining the root folder with a separator
// and a name gives ("//x.avi" becomes "/x.avi"). Other text is left alone.
QString FixRootPath(const QString& path);

}  // namespace vistarel
