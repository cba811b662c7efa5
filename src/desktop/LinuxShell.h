#pragma once

#include <QString>

#include <functional>
#include <list>
#include <memory>

#include "platform/Shell.h"
#include "system/Accounts.h"
#include "system/DirectoryListing.h"

namespace vistarel {

class IShellMediaSource;

// The desktop shell on Linux. A folder's entries are shown as a file manager
// that hides extensions shows them; the values of the 41 property columns come
// from the file system, the shared MIME database, extended attributes and the
// file's own tags and streams (read through the MediaInfo library, from the
// extraction run's own parse where it just made one). Nothing ever opens a
// FIFO, socket or device.
//
// A folder's listing is kept, with its index from lower-cased display name to
// entries, and used again while the folder is unchanged: a run over every file
// of a large folder lists it once, not once per file.
class LinuxShell final : public IShell {
 public:
  // How a folder is read from the disk; tests count the readings through it.
  using FolderLister = std::function<std::vector<FolderEntry>(const QString& folder)>;

  explicit LinuxShell(IShellMediaSource& media, FolderLister lister = ListFolderEntries);
  ~LinuxShell() override;
  LinuxShell(const LinuxShell&) = delete;
  LinuxShell& operator=(const LinuxShell&) = delete;

  std::unique_ptr<IShellFolder> Namespace(const QString& path) override;

  // The names of the 41 property columns.
  static QString PropertyNameOf(int column);

  struct Listing;

 private:
  std::shared_ptr<const Listing> ListingOf(const QString& folder);

  IShellMediaSource& media_;
  FolderLister lister_;
  AccountNames accounts_;
  // The folders listed last, the most recent first.
  std::list<std::shared_ptr<const Listing>> recent_;
};

}  // namespace vistarel
