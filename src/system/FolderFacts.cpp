#include "system/FolderFacts.h"

#include <QHash>

#include <algorithm>

#include <malloc.h>

#include "base/PathHelpers.h"
#include "system/FileAttributes.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Enough recent folders for a run over a folder tree that goes back and forth.
constexpr size_t kKeptListings = 16;
// Folders from this many entries on leave enough freed memory to hand back.
constexpr size_t kListingWorthTrimming = 100000;

// The desktop's own extended attributes that the shell shows.
constexpr const char* kTagsAttribute = "user.xdg.tags";
constexpr const char* kRatingAttribute = "user.baloo.rating";
constexpr const char* kOriginUrlAttribute = "user.xdg.origin.url";
constexpr const char* kCommentAttribute = "user.xdg.comment";

}  // namespace

QString DisplayNameOf(const QString& fileName, bool isFolder) {
  if (isFolder)
    return fileName;
  const QString shown = NameWithoutExtension(fileName);
  return shown.isEmpty() ? fileName : shown;
}

// One folder as it was listed: its names in name order, one after the other in
// one text, and an index from the hash of each lower-cased display name to the
// entries that have it. A folder of a million entries costs some tens of MB,
// not hundreds.
struct FolderFactsGatherer::Listing {
  QString folder;
  FileStamp stamp;
  QString text;
  std::vector<quint32> starts;  // name i is text[starts[i], starts[i + 1])
  std::vector<bool> folders;
  std::vector<std::pair<size_t, int>> byKey;  // sorted

  int Count() const { return int(folders.size()); }
  QString Name(int item) const {
    return text.mid(starts[size_t(item)], starts[size_t(item) + 1] - starts[size_t(item)]);
  }
  QString DisplayName(int item) const { return DisplayNameOf(Name(item), folders[size_t(item)]); }
  QList<int> ItemsNamed(const QString& lowerName) const {
    QList<int> items;
    const size_t key = qHash(lowerName);
    auto at = std::lower_bound(byKey.begin(), byKey.end(), std::pair<size_t, int>{key, -1});
    for (; at != byKey.end() && at->first == key; ++at) {
      if (DisplayName(at->second).toLower() == lowerName)
        items.append(at->second);
    }
    return items;
  }
};

FolderFactsGatherer::FolderFactsGatherer(FolderLister lister) : lister_(std::move(lister)) {}
FolderFactsGatherer::~FolderFactsGatherer() = default;

FolderFacts FolderFactsGatherer::Gather(const QString& folder, const QString& displayName,
                                        const KnownEntry* known, const Doing& doing) {
  FolderFacts facts;
  facts.folder = WithoutTrailingSeparators(folder);
  facts.lowerName = displayName.toLower();
  std::shared_ptr<const Listing> listing;
  try {
    listing = ListingOf(facts.folder, doing);
  } catch (const Failure& failure) {
    facts.failure = failure;
    return facts;
  }
  facts.itemCount = listing->Count();
  for (const int item : listing->ItemsNamed(facts.lowerName)) {
    const bool isKnown = known != nullptr && listing->Name(item) == known->name;
    if (!isKnown && doing)
      doing(Step::LookUp, JoinPath(listing->folder, listing->Name(item)));
    facts.entries.append(EntryOf(*listing, item, isKnown ? known : nullptr));
  }
  return facts;
}

std::shared_ptr<const FolderFactsGatherer::Listing> FolderFactsGatherer::ListingOf(
    const QString& folder, const Doing& doing) {
  if (doing)
    doing(Step::LookUp, folder);
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
  size_t listed = 0;
  {
    if (doing)
      doing(Step::Listing, folder);
    const std::vector<FolderEntry> entries = lister_(folder);
    listed = entries.size();
    listing->starts.reserve(entries.size() + 1);
    listing->folders.reserve(entries.size());
    listing->byKey.reserve(entries.size());
    for (const FolderEntry& entry : entries) {
      const int item = listing->Count();
      listing->starts.push_back(quint32(listing->text.size()));
      listing->text.append(entry.name);
      listing->folders.push_back(entry.isFolder);
      listing->byKey.emplace_back(qHash(DisplayNameOf(entry.name, entry.isFolder).toLower()), item);
    }
  }
  // The full listing of a huge folder took far more than the compact one
  // kept; give that memory back rather than hold it for the rest of the run.
  if (listed >= kListingWorthTrimming)
    malloc_trim(0);
  listing->starts.push_back(quint32(listing->text.size()));
  listing->text.squeeze();
  std::sort(listing->byKey.begin(), listing->byKey.end());

  recent_.push_front(listing);
  if (recent_.size() > kKeptListings)
    recent_.pop_back();
  return listing;
}

EntryFacts FolderFactsGatherer::EntryOf(const Listing& listing, int item,
                                        const KnownEntry* known) {
  EntryFacts facts;
  facts.item = item;
  facts.name = listing.Name(item);
  facts.displayName = listing.DisplayName(item);
  const QString path = JoinPath(listing.folder, facts.name);
  const QByteArray encoded = EncodeFileName(path);
  const PathStatus looked = known != nullptr ? known->looked : LookUpPath(encoded);

  facts.found = looked.entry.has_value();
  if (facts.found) {
    facts.isLink = S_ISLNK(looked.entry->mode);
    // A link shows what it leads to; one that leads nowhere shows itself.
    facts.status = looked.target ? *looked.target : *looked.entry;
    if (looked.target)
      facts.stamp = looked.target->stamp;
    facts.attributes = AttributesFromModes(
        looked.entry->mode,
        looked.target ? std::optional<unsigned>(looked.target->mode) : std::nullopt, path);
    facts.mimeType = known != nullptr && !known->mimeType.isEmpty()
                         ? known->mimeType
                         : MimeTypeName(path, encoded, facts.status.mode);
    if (facts.isLink)
      facts.linkTarget = LinkTarget(encoded);
  }
  // Only the attributes a file has are read: most have none.
  const QList<QByteArray> present = ExtendedAttributeNames(encoded);
  const auto attribute = [&](const char* name) {
    return present.contains(QByteArray(name)) ? ExtendedAttribute(encoded, name) : QString();
  };
  facts.tags = attribute(kTagsAttribute);
  facts.rating = attribute(kRatingAttribute);
  facts.originUrl = attribute(kOriginUrlAttribute);
  facts.comment = attribute(kCommentAttribute);
  return facts;
}

}  // namespace vistarel
