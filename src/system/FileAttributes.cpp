#include "system/FileAttributes.h"

#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "system/CallProgress.h"
#include "system/Errno.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

bool IsTrashFolder(const QString& path, const QString& name) {
  if (name == u".Trash"_s)
    return true;
  if (name.startsWith(u".Trash-"_s) && name.size() > 7) {
    bool digits = true;
    for (qsizetype i = 7; i < name.size(); ++i) digits = digits && name[i].isDigit();
    if (digits)
      return true;
  }
  if (name != u"Trash"_s)
    return false;
  static const QString userTrash =
      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Trash"_s;
  return path == userTrash;
}

}  // namespace

int AttributesFromModes(unsigned entryMode, std::optional<unsigned> targetMode,
                        const QString& path) {
  using namespace file_attribute;
  int value = 0;
  const bool isLink = S_ISLNK(entryMode);
  if (isLink)
    value |= kLink;
  // A link counts as what it leads to; a dangling link only as a link.
  const std::optional<unsigned> kind = isLink ? targetMode : std::optional<unsigned>(entryMode);
  if (kind) {
    const mode_t mode = *kind;
    if (S_ISDIR(mode)) {
      value |= kDirectory;
    } else if (S_ISREG(mode)) {
      value |= kArchive;
    } else if (S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode) || S_ISBLK(mode)) {
      value |= kSystem;
    }
    if ((mode & S_IWUSR) == 0)
      value |= kReadOnly;
  }
  const QString name = FileNameOf(path);
  if (name.startsWith(u'.'))
    value |= kHidden;
  if ((value & kDirectory) != 0) {
    // A link to a trash folder is a system folder as its target is.
    const QString folder = isLink ? RealPath(EncodeFileName(path)) : path;
    if (IsTrashFolder(folder, FileNameOf(folder)))
      value |= kSystem;
  }
  return value;
}

namespace {

// The value from an entry's lstat and, for a link, its target's stat, both made
// by `look` (false for a failed look, with errno set).
template <class Look>
int AttributesLookedUp(Look&& look, const QString& path, const QString& shownPath) {
  struct stat entry {};
  const bool found = look(entry, false);
  const int error = errno;
  CallReturned();
  if (!found)
    ThrowErrno(error, shownPath);
  std::optional<unsigned> target;
  if (S_ISLNK(entry.st_mode)) {
    struct stat status {};
    if (look(status, true))
      target = status.st_mode;
    CallReturned();
  }
  return AttributesFromModes(entry.st_mode, target, path);
}

}  // namespace

int AttributesOf(const QString& path) {
  const QString trimmed = WithoutTrailingSeparators(path);
  const QByteArray bytes = EncodeFileName(trimmed);
  return AttributesLookedUp(
      [&](struct stat& status, bool follow) {
        return (follow ? stat(bytes.constData(), &status)
                       : lstat(bytes.constData(), &status)) == 0;
      },
      trimmed, path);
}

int AttributesAt(int folderFd, const QByteArray& entryName, const QString& path) {
  return AttributesLookedUp(
      [&](struct stat& status, bool follow) {
        return fstatat(folderFd, entryName.constData(), &status,
                       follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
      },
      path, path);
}

}  // namespace vistarel
