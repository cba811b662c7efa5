#include "desktop/FactsShellFolder.h"

#include <array>
#include <map>

#include <sys/stat.h>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "desktop/FileProperties.h"
#include "desktop/ShellDetails.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<const char16_t*, kShellPropertyCount> kPropertyNames = {
    u"Name",           u"Size",         u"Item type",    u"Date modified", u"Date created",
    u"Date accessed",  u"Attributes",   u"Owner",        u"Group",         u"Permissions",
    u"Perceived type", u"Content type", u"Title",        u"Artist",        u"Album",
    u"Genre",          u"Year",         u"Comment",      u"Tags",          u"Rating",
    u"Copyright",      u"Publisher",    u"Encoded by",   u"Length",        u"Bit rate",
    u"Frame width",    u"Frame height", u"Frame rate",   u"Video codec",   u"Video bit rate",
    u"Audio codec",    u"Audio bit rate", u"Channels",   u"Sample rate",   u"Language",
    u"Origin URL",     u"Link target",  u"Folder path",  u"",              u"",
    u"",
};

// The columns of the file's own tags and streams (Comment has a source of its own first).
bool IsMediaColumn(int column) {
  using namespace shell_column;
  return (column >= kTitle && column <= kComment) || (column >= kCopyright && column <= kLanguage);
}

class FactsShellFolder final : public IShellFolder {
 public:
  FactsShellFolder(FolderFacts facts, EntryMediaValues media, AccountNames& accounts)
      : facts_(std::move(facts)), media_(std::move(media)), accounts_(accounts) {}

  QString PropertyName(int column) override { return ShellPropertyName(column); }

  int ItemCount() override { return facts_.itemCount; }

  QString DisplayName(int item) override { return Entry(item).displayName; }

  QList<int> ItemsNamed(const QString& name) override {
    if (name.toLower() != facts_.lowerName) {
      throw Failure(u"The entries named %1 of %2 were not looked at"_s.arg(name, facts_.folder),
                    failure_number::kSubscriptOutOfRange);
    }
    QList<int> items;
    for (const EntryFacts& entry : facts_.entries) items.append(entry.item);
    return items;
  }

  QString GetDetailsOf(int item, int column) override {
    const EntryFacts& entry = Entry(item);
    using namespace shell_column;
    switch (column) {
      case kName:
        return entry.displayName;
      case kFolderPath:
        return facts_.folder;
      case kTags:
        return entry.tags;
      case kRating:
        return entry.rating;
      case kOriginUrl:
        return entry.originUrl;
      case kLinkTarget:
        return entry.isLink ? entry.linkTarget : QString();
      case kComment:
        return entry.comment.isEmpty() ? MediaValue(entry, column) : entry.comment;
      case kAttributes:
        return entry.attributes ? AttributeLetters(*entry.attributes) : QString();
      default:
        break;
    }
    if (column < 0 || column >= kShellPropertyCount || !entry.found)
      return {};
    const FileStatus& status = entry.status;
    switch (column) {
      case kSize:
        return S_ISDIR(status.mode) ? QString() : HumanSize(status.size);
      case kItemType:
        return MimeTypeNamed(entry.mimeType).comment();
      case kDateModified:
        return FileDateText(status.modifiedMs);
      case kDateCreated:
        return status.hasCreated ? FileDateText(status.createdMs) : QString();
      case kDateAccessed:
        return FileDateText(status.accessedMs);
      case kOwner:
        return accounts_.User(status.user);
      case kGroup:
        return accounts_.Group(status.group);
      case kPermissions:
        return PermissionsText(status.mode);
      case kPerceivedType:
        return PerceivedType(MimeTypeNamed(entry.mimeType));
      case kContentType:
        return entry.mimeType;
      default:
        return IsMediaColumn(column) ? MediaValue(entry, column) : QString();
    }
  }

 private:
  const EntryFacts& Entry(int item) const {
    for (const EntryFacts& entry : facts_.entries) {
      if (entry.item == item)
        return entry;
    }
    throw Failure(u"Index out of bounds: entry %1"_s.arg(item),
                  failure_number::kSubscriptOutOfRange);
  }

  // Asked for once per entry; only a regular file has any.
  QString MediaValue(const EntryFacts& entry, int column) {
    auto known = media_values_.find(entry.item);
    if (known == media_values_.end()) {
      const bool regular = entry.found && S_ISREG(entry.status.mode);
      known = media_values_.emplace(entry.item, regular ? media_(entry) : ShellMediaValues{}).first;
    }
    return known->second[size_t(column)];
  }

  FolderFacts facts_;
  EntryMediaValues media_;
  AccountNames& accounts_;
  std::map<int, ShellMediaValues> media_values_;
};

}  // namespace

QString ShellPropertyName(int column) {
  if (column < 0 || column >= kShellPropertyCount)
    return {};
  return QString::fromUtf16(kPropertyNames[size_t(column)]);
}

std::unique_ptr<IShellFolder> MakeFactsShellFolder(FolderFacts facts, EntryMediaValues media,
                                                   AccountNames& accounts) {
  if (facts.failure)
    throw *facts.failure;
  return std::make_unique<FactsShellFolder>(std::move(facts), std::move(media), accounts);
}

std::unique_ptr<IShellFolder> FactsShell::Namespace(const QString& path,
                                                    const FileAnswer& answer) {
  // The run asks for the folder of the file it has just read; when the
  // worker could not look at it, the look-up fails as the worker's did.
  const QString folder = WithoutTrailingSeparators(path);
  if (!answer.folder.failure && answer.folder.folder != folder) {
    throw Failure(u"No media worker looked at the folder: "_s + folder,
                  failure_number::kPathNotFound);
  }
  return MakeFactsShellFolder(answer.folder,
                              [media = answer.media, siblings = answer.siblings](
                                  const EntryFacts& entry) {
                                return FileAnswer{{}, media, {}, siblings}.MediaValuesOf(entry);
                              },
                              accounts_);
}

}  // namespace vistarel
