#include "desktop/LinuxShell.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>

#include <array>
#include <optional>
#include <unordered_map>

#include <sys/stat.h>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "desktop/FileProperties.h"
#include "desktop/ShellDetails.h"
#include "media/ShellMediaValues.h"
#include "system/DirectoryListing.h"
#include "system/FileAttributes.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Enough recent folders for a run over a folder tree that goes back and forth.
constexpr size_t kKeptListings = 16;

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
  QString folder;   // no trailing separator, except the root
  FileStamp stamp;  // a folder unchanged since it was listed has the same stamp
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
      throw Failure(u"Index out of bounds: entry %1"_s.arg(item),
                    failure_number::kSubscriptOutOfRange);
  }

  EntryFacts& Facts(int item) {
    const auto known = facts_.find(item);
    if (known != facts_.end())
      return known->second;
    EntryFacts& facts = facts_[item];
    facts.path = listing_->PathOf(item);
    facts.encodedPath = EncodeFileName(facts.path);
    const std::optional<struct statx> entry = StatX(facts.encodedPath, false);
    facts.found = entry.has_value();
    facts.isLink = facts.found && S_ISLNK(entry->stx_mode);
    if (facts.found)
      facts.status = *entry;
    // A link shows what it leads to; a dangling one shows itself.
    if (facts.isLink) {
      if (const std::optional<struct statx> target = StatX(facts.encodedPath, true))
        facts.status = *target;
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
        const std::optional<FileStamp> identity = StampOf(facts.encodedPath);
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

LinuxShell::LinuxShell(IShellMediaSource& media, FolderLister lister)
    : media_(media), lister_(std::move(lister)) {}
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
  const FileStamp stamp = LookUpFolder(folder);
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
  const std::vector<FolderEntry> entries = lister_(folder);
  listing->names.reserve(qsizetype(entries.size()));
  listing->displayNames.reserve(qsizetype(entries.size()));
  for (const FolderEntry& entry : entries) {
    const int item = int(listing->names.size());
    listing->names.append(entry.name);
    listing->displayNames.append(DisplayNameOf(entry.name, entry.isFolder));
    listing->byLowerName[listing->displayNames.back().toLower()].append(item);
  }

  recent_.push_front(listing);
  if (recent_.size() > kKeptListings)
    recent_.pop_back();
  return listing;
}

}  // namespace vistarel
