#include "desktop/ShellDetails.h"

#include <QLocale>

#include <cerrno>
#include <utility>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "base/PathHelpers.h"
#include "system/FileAttributes.h"
#include "system/FileNames.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr size_t kFirstTry = 1024;

// getpwuid_r and getgrgid_r want a buffer of their own size; a long group
// member list may need a larger one.
template <class Entry, class Id, class Lookup, class NameOf>
QString AccountName(Id id, Lookup lookup, NameOf nameOf) {
  std::vector<char> buffer(kFirstTry);
  for (int tries = 0; tries < 8; ++tries) {
    Entry entry{};
    Entry* found = nullptr;
    const int error = lookup(id, &entry, buffer.data(), buffer.size(), &found);
    if (error == ERANGE) {
      buffer.resize(buffer.size() * 4);
      continue;
    }
    if (error == 0 && found != nullptr)
      return QString::fromLocal8Bit(nameOf(*found));
    break;
  }
  return QString::number(id);
}

}  // namespace

QString DisplayNameOf(const QString& fileName, bool isFolder) {
  if (isFolder)
    return fileName;
  const QString shown = NameWithoutExtension(fileName);
  return shown.isEmpty() ? fileName : shown;
}

QString HumanSize(qint64 bytes) {
  return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString AttributeLetters(int attributes) {
  using namespace file_attribute;
  QString letters;
  for (const auto& [bit, letter] :
       {std::pair{kReadOnly, u'R'}, std::pair{kHidden, u'H'}, std::pair{kSystem, u'S'},
        std::pair{kArchive, u'A'}, std::pair{kLink, u'L'}}) {
    if ((attributes & bit) != 0)
      letters.append(QChar(letter));
  }
  return letters;
}

QString PermissionsText(mode_t mode) {
  const auto letter = [mode](mode_t bit, char16_t set) { return (mode & bit) != 0 ? set : u'-'; };
  // The execute place shows a special bit: lower case with execute, upper without.
  const auto execute = [mode](mode_t bit, mode_t special, char16_t mark) -> char16_t {
    if ((mode & special) == 0)
      return (mode & bit) != 0 ? u'x' : u'-';
    return (mode & bit) != 0 ? mark : char16_t(mark - (u'a' - u'A'));
  };
  const char16_t text[] = {
      letter(S_IRUSR, u'r'), letter(S_IWUSR, u'w'), execute(S_IXUSR, S_ISUID, u's'),
      letter(S_IRGRP, u'r'), letter(S_IWGRP, u'w'), execute(S_IXGRP, S_ISGID, u's'),
      letter(S_IROTH, u'r'), letter(S_IWOTH, u'w'), execute(S_IXOTH, S_ISVTX, u't')};
  return QString::fromUtf16(text, 9);
}

QString PerceivedType(const QMimeType& type) {
  const QString name = type.name();
  if (name.startsWith(u"video/"_s))
    return u"Video"_s;
  if (name.startsWith(u"audio/"_s))
    return u"Audio"_s;
  if (name.startsWith(u"image/"_s))
    return u"Image"_s;
  if (name.startsWith(u"text/"_s) || type.inherits(u"text/plain"_s))
    return u"Text"_s;
  return u"Other"_s;
}

QString ExtendedAttribute(const QByteArray& encodedPath, const char* name) {
  std::vector<char> value(kFirstTry);
  ssize_t size = getxattr(encodedPath.constData(), name, value.data(), value.size());
  if (size < 0 && errno == ERANGE) {
    size = getxattr(encodedPath.constData(), name, nullptr, 0);
    if (size <= 0)
      return {};
    value.resize(size_t(size));
    size = getxattr(encodedPath.constData(), name, value.data(), value.size());
  }
  if (size <= 0)
    return {};
  // Some tools store the text with its closing NUL.
  while (size > 0 && value[size_t(size - 1)] == '\0') --size;
  return QString::fromUtf8(value.data(), size);
}

QString LinkTarget(const QByteArray& encodedPath) {
  std::vector<char> target(kFirstTry);
  for (;;) {
    const ssize_t size = readlink(encodedPath.constData(), target.data(), target.size());
    if (size < 0)
      return {};
    if (size_t(size) < target.size())
      return DecodeFileName(target.data(), size);
    target.resize(target.size() * 4);
  }
}

QString AccountNames::User(uid_t uid) {
  const auto known = users_.constFind(uid);
  if (known != users_.cend())
    return *known;
  const QString name =
      AccountName<passwd>(uid, getpwuid_r, [](const passwd& entry) { return entry.pw_name; });
  users_.insert(uid, name);
  return name;
}

QString AccountNames::Group(gid_t gid) {
  const auto known = groups_.constFind(gid);
  if (known != groups_.cend())
    return *known;
  const QString name =
      AccountName<group>(gid, getgrgid_r, [](const group& entry) { return entry.gr_name; });
  groups_.insert(gid, name);
  return name;
}

}  // namespace vistarel
