#include "desktop/LinuxShell.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unordered_map>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "system/DirectoryListing.h"
#include "system/FileAttributes.h"
#include "system/FileIdentity.h"
#include "system/FileNames.h"
#include "desktop/FileProperties.h"
#include "system/FolderReader.h"
#include "media/ShellMediaValues.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Enough recent folders for a run over a folder tree that goes back and forth.
constexpr size_t kKeptListings = 16;
// The index of an entry outside Items, as the shell's own collections fail.
constexpr int kSubscriptOutOfRange = 9;

constexpr std::array<const char16_t*, kShellPropertyCount> kPropertyNames = {
    u"Name",
    u"Size",
    u"Item type",
    u"Date modified",
    u"Date created",
    u"Date accessed",
    u"Attributes",
    u"Owner",
    u"Group",
    u"Permissions",
    u"Perceived type",
    u"Content type",
    u"Title",
    u"Artist",
    u"Album",
    u"Genre",
    u"Year",
    u"Comment",
    u"Tags",
    u"Rating",
    u"Copyright",
    u"Publisher",
    u"Encoded by",
    u"Length",
    u"Bit rate",
    u"Frame width",
    u"Frame height",
    u"Frame rate",
    u"Video codec",
    u"Video bit rate",
    u"Audio codec",
    u"Audio bit rate",
    u"Channels",
    u"Sample rate",
    u"Language",
    u"Origin URL",
    u"Link target",
    u"Folder path",
    u"",
    u"",
    u"",
};

// A folder unchanged since it was listed has the same stamp: adding, removing
// or renaming an entry changes its modification and change times.
struct FolderStamp {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  timespec changed{};

  bool operator==(const FolderStamp& other) const {
    const auto same = [](const timespec& a, const timespec& b) {
      return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    return device == other.device && inode == other.inode && same(modified, other.modified) &&
           same(changed, other.changed);
  }
};

[[noreturn]] void ThrowPathNotFound(int error, const QString& path) {
  throw Failure(QString::fromLocal8Bit(std::strerror(error)) + u": "_s + path,
                failure_number::kPathNotFound);
}

bool IsFolderEntry(DIR* dir, const dirent& entry) {
  if (entry.d_type == DT_DIR)
    return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
    return false;
  struct stat target {};
  return fstatat(dirfd(dir), entry.d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
}

// The columns of the file's own tags and streams (Comment has a source of its own first).
bool IsMediaColumn(int column) {
  using namespace shell_column;
  return (column >= kTitle && column <= kComment) || (column >= kCopyright && column <= kLanguage);
}

QString DateText(const statx_timestamp& time) {
  return FileDateText(QDateTime::fromMSecsSinceEpoch(time.tv_sec * 1000 + time.tv_nsec / 1000000));
}

}  // namespace

// One folder as it was listed: its entries in name order and the index from
// lower-cased display name to their positions.
struct LinuxShell::Listing {
  QString folder;  // no trailing separator, except the root
  FolderStamp stamp;
  QStringList names;
  QStringList displayNames;
  QHash<QString, QList<int>> byLowerName;

  QString PathOf(int item) const {
    return folder.endsWith(kPathSeparator) ? folder + names[item]
                                           : folder + kPathSeparator + names[item];
  }
};

namespace {

// What the folder object has found out about one entry, worked out when first
// asked.
struct EntryFacts {
  QString path;
  QByteArray encodedPath;
  bool found = false;
  bool isLink = false;
  // Of what the entry leads to; of the link itself when it leads nowhere.
  struct statx status {};
  std::optional<QMimeType> mime;
  std::optional<ShellMediaValues> media;
};

class LinuxShellFolder final : public IShellFolder {
 public:
  LinuxShellFolder(std::shared_ptr<const LinuxShell::Listing> listing, IShellMediaSource& media,
                   AccountNames& accounts)
      : listing_(std::move(listing)), media_(media), accounts_(accounts) {}

  QString PropertyName(int column) override { return LinuxShell::PropertyNameOf(column); }

  int ItemCount() override { return int(listing_->names.size()); }

  QString DisplayName(int item) override {
    CheckItem(item);
    return listing_->displayNames[item];
  }

  QList<int> ItemsNamed(const QString& name) override {
    return listing_->byLowerName.value(name.toLower());
  }

  QString GetDetailsOf(int item, int column) override {
    CheckItem(item);
    using namespace shell_column;
    switch (column) {
      case kName:
        return listing_->displayNames[item];
      case kFolderPath:
        return listing_->folder;
      case kTags:
        return ExtendedAttribute(Facts(item).encodedPath, "user.xdg.tags");
      case kRating:
        return ExtendedAttribute(Facts(item).encodedPath, "user.baloo.rating");
      case kOriginUrl:
        return ExtendedAttribute(Facts(item).encodedPath, "user.xdg.origin.url");
      case kLinkTarget:
        return Facts(item).isLink ? LinkTarget(Facts(item).encodedPath) : QString();
      case kComment: {
        const QString comment = ExtendedAttribute(Facts(item).encodedPath, "user.xdg.comment");
        return comment.isEmpty() ? MediaValue(item, column) : comment;
      }
      case kAttributes:
        return Attributes(item);
      default:
        break;
    }
    if (column < 0 || column >= kShellPropertyCount || !Facts(item).found)
      return {};
    const struct statx& status = Facts(item).status;
    switch (column) {
      case kSize:
        return S_ISDIR(status.stx_mode) ? QString() : HumanSize(qint64(status.stx_size));
      case kItemType:
        return Mime(item).comment();
      case kDateModified:
        return DateText(status.stx_mtime);
      case kDateCreated:
        return (status.stx_mask & STATX_BTIME) != 0 ? DateText(status.stx_btime) : QString();
      case kDateAccessed:
        return DateText(status.stx_atime);
      case kOwner:
        return accounts_.User(status.stx_uid);
      case kGroup:
        return accounts_.Group(status.stx_gid);
      case kPermissions:
        return PermissionsText(status.stx_mode);
      case kPerceivedType:
        return PerceivedType(Mime(item));
      case kContentType:
        return Mime(item).name();
      default:
        return IsMediaColumn(column) ? MediaValue(item, column) : QString();
    }
  }

 private:
  void CheckItem(int item) const {
    if (item < 0 || item >= listing_->names.size())
      throw Failure(u"Index out of bounds: entry %1"_s.arg(item), kSubscriptOutOfRange);
  }

  EntryFacts& Facts(int item) {
    const auto known = facts_.find(item);
    if (known != facts_.end())
      return known->second;
    EntryFacts& facts = facts_[item];
    facts.path = listing_->PathOf(item);
    facts.encodedPath = EncodeFileName(facts.path);
    const char* path = facts.encodedPath.constData();
    constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_BTIME;
    facts.found = statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, kWanted, &facts.status) == 0;
    facts.isLink = facts.found && S_ISLNK(facts.status.stx_mode);
    if (facts.isLink) {
      struct statx target {};
      if (statx(AT_FDCWD, path, 0, kWanted, &target) == 0)
        facts.status = target;
    }
    return facts;
  }

  const QMimeType& Mime(int item) {
    EntryFacts& facts = Facts(item);
    if (!facts.mime)
      facts.mime = FileMimeType(facts.path, facts.encodedPath, facts.status.stx_mode);
    return *facts.mime;
  }

  QString Attributes(int item) {
    try {
      return AttributeLetters(AttributesOf(Facts(item).path));
    } catch (const Failure&) {
      return {};  // gone since the folder was listed
    }
  }

  // Only a regular file is read: a FIFO, socket or device would block or
  // stream without end.
  QString MediaValue(int item, int column) {
    EntryFacts& facts = Facts(item);
    if (!facts.media) {
      facts.media.emplace();
      if (facts.found && S_ISREG(facts.status.stx_mode)) {
        const std::optional<FileIdentity> identity = IdentityOf(facts.encodedPath);
        std::optional<ShellMediaValues> kept;
        if (identity)
          kept = media_.Recall(*identity);
        facts.media = kept ? *kept : media_.Parse(facts.path);
      }
    }
    return (*facts.media)[size_t(column)];
  }

  std::shared_ptr<const LinuxShell::Listing> listing_;
  IShellMediaSource& media_;
  AccountNames& accounts_;
  std::unordered_map<int, EntryFacts> facts_;
};

}  // namespace

LinuxShell::LinuxShell(IShellMediaSource& media) : media_(media) {}
LinuxShell::~LinuxShell() = default;

QString LinuxShell::PropertyNameOf(int column) {
  if (column < 0 || column >= kShellPropertyCount)
    return {};
  return QString::fromUtf16(kPropertyNames[size_t(column)]);
}

std::unique_ptr<IShellFolder> LinuxShell::Namespace(const QString& path) {
  return std::make_unique<LinuxShellFolder>(ListingOf(WithoutTrailingSeparators(path)), media_,
                                            accounts_);
}

std::shared_ptr<const LinuxShell::Listing> LinuxShell::ListingOf(const QString& folder) {
  const QByteArray encoded = EncodeFileName(folder);
  struct stat status {};
  if (stat(encoded.constData(), &status) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
      ThrowPathNotFound(error, folder);
    ThrowErrno(error, folder);
  }
  if (!S_ISDIR(status.st_mode))
    ThrowPathNotFound(ENOTDIR, folder);
  const FolderStamp stamp{status.st_dev, status.st_ino, status.st_mtim, status.st_ctim};

  for (auto kept = recent_.begin(); kept != recent_.end(); ++kept) {
    if ((*kept)->folder != folder)
      continue;
    const std::shared_ptr<const Listing> listing = *kept;
    recent_.erase(kept);
    if (listing->stamp == stamp) {
      recent_.push_front(listing);
      return listing;
    }
    break;
  }

  auto listing = std::make_shared<Listing>();
  listing->folder = folder;
  listing->stamp = stamp;
  ++listings_;
  // A folder that may not be read shows no entries, as in a file manager.
  FolderReader dir(folder);
  if (!dir.IsOpen() && dir.OpenError() != EACCES && dir.OpenError() != EPERM)
    ThrowErrno(dir.OpenError(), folder);
  QSet<QString> folders;
  while (const dirent* entry = dir.Next()) {
    const char* raw = entry->d_name;
    const QString name = DecodeFileName(raw, qsizetype(std::strlen(raw)));
    listing->names.append(name);
    if (IsFolderEntry(dir.get(), *entry))
      folders.insert(name);
  }
  SortNames(listing->names);
  listing->displayNames.reserve(listing->names.size());
  for (int item = 0; item < listing->names.size(); ++item) {
    const QString& name = listing->names[item];
    listing->displayNames.append(DisplayNameOf(name, folders.contains(name)));
    listing->byLowerName[listing->displayNames.back().toLower()].append(item);
  }

  recent_.push_front(listing);
  if (recent_.size() > kKeptListings)
    recent_.pop_back();
  return listing;
}

}  // namespace vistarel
