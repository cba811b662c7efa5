#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <list>
#include <memory>
#include <optional>

#include "base/Failure.h"
#include "protocol/Facts.h"
#include "protocol/FileStamp.h"
#include "system/DirectoryListing.h"
#include "system/FileFacts.h"

namespace vistarel {

// The name a file manager that hides extensions shows: the file name without
// its last extension; a folder's whole name. A name that would be left empty
// (".profile") is shown whole.
QString DisplayNameOf(const QString& fileName, bool isFolder);

// Gathers folder facts, keeping the listings of the folders it met last: a run
// over every file of a large folder lists it once, and again only when the
// folder changed. A listing costs a few bytes per entry.
class FolderFactsGatherer {
 public:
  // How a folder is read from the disk; tests count the readings through it.
  using FolderLister = std::function<std::vector<FolderEntry>(const QString& folder)>;

  explicit FolderFactsGatherer(FolderLister lister = ListFolderEntries);
  ~FolderFactsGatherer();
  FolderFactsGatherer(const FolderFactsGatherer&) = delete;
  FolderFactsGatherer& operator=(const FolderFactsGatherer&) = delete;

  // Told just before each call that may wait on the disk: the folder's
  // look-up, its listing, and each entry's look-up.
  enum class Step { LookUp, Listing };
  using Doing = std::function<void(Step step, const QString& path)>;
  // An entry whose look-up and type were had already, so that neither is made twice.
  struct KnownEntry {
    QString name;
    PathStatus looked;
    QString mimeType;
  };

  // The facts of the entries of `folder` whose display name is `displayName`
  // once both are lower-cased. Only those entries are looked up, found by
  // their names in the folder's listing; `known` may be one of them.
  FolderFacts Gather(const QString& folder, const QString& displayName,
                     const KnownEntry* known = nullptr, const Doing& doing = {});

 private:
  struct Listing;
  std::shared_ptr<const Listing> ListingOf(const QString& folder, const Doing& doing);
  EntryFacts EntryOf(const Listing& listing, int item, const KnownEntry* known);

  FolderLister lister_;
  std::list<std::shared_ptr<const Listing>> recent_;
};

}  // namespace vistarel
