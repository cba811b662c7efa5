#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <list>
#include <memory>
#include <optional>

#include "base/Failure.h"
#include "platform/FileStamp.h"
#include "system/Accounts.h"
#include "system/DirectoryListing.h"
#include "system/FileFacts.h"

namespace vistarel {

// The name a file manager that hides extensions shows: the file name without
// its last extension; a folder's whole name. A name that would be left empty
// (".profile") is shown whole.
QString DisplayNameOf(const QString& fileName, bool isFolder);

// The raw facts of one entry of a folder that the shell's property columns
// show.
struct EntryFacts {
  int item = 0;  // its place among the folder's entries in name order
  QString name;
  QString displayName;
  bool found = false;  // it could be looked up
  bool isLink = false;
  // Of what the entry leads to; of the link itself when it leads nowhere.
  FileStatus status;
  // Of what it leads to, to tell whether a parse was of this very file; none
  // for a link that leads nowhere.
  std::optional<FileStamp> stamp;
  std::optional<int> attributes;  // none when they could not be read
  QString mimeType;
  QString owner;
  QString group;
  QString tags;  // the desktop's extended attributes
  QString rating;
  QString originUrl;
  QString comment;
  QString linkTarget;
};

// What the shell shows of a folder for one display name: how many entries the
// folder has, and the facts of those whose lower-cased display name matches.
struct FolderFacts {
  std::optional<Failure> failure;  // why the folder cannot be opened as a shell folder
  QString folder;                  // without a trailing separator, except the root
  int itemCount = 0;
  QString lowerName;          // the lower-cased display name the entries matched
  QList<EntryFacts> entries;  // in the shell's order
};

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

  // The facts of the entries of `folder` whose display name is `displayName`
  // once both are lower-cased. `known` is a look-up of one of them already
  // made (by its name), so that it is not made twice.
  FolderFacts Gather(const QString& folder, const QString& displayName,
                     const QString& knownName = {}, const PathStatus* known = nullptr);

 private:
  struct Listing;
  std::shared_ptr<const Listing> ListingOf(const QString& folder);
  EntryFacts EntryOf(const Listing& listing, int item, const QString& knownName,
                     const PathStatus* known);

  FolderLister lister_;
  std::list<std::shared_ptr<const Listing>> recent_;
  AccountNames accounts_;
};

}  // namespace vistarel
