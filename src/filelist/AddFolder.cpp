#include "filelist/AddFolder.h"

#include <memory>
#include <utility>
#include <vector>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "filelist/InputListModel.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "report/HandlerGuard.h"
#include "system/FileNames.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Every file, hidden and system ones included; no folders.
constexpr int kListingMask = listing_mask::kHidden | listing_mask::kSystem;

// The name array starts with room for this many names and grows by the second.
constexpr size_t kFirstRoom = 100;
constexpr size_t kMoreRoom = 50;

// The folders the walk went through to reach a folder, the folder itself first.
// A subfolder that leads to one of them is a link back up: walking it again
// would never end. Any other link is walked like a folder.
struct Lineage {
  FileStamp folder;
  std::shared_ptr<const Lineage> parent;
};
using LineagePtr = std::shared_ptr<const Lineage>;

bool LeadsBackUp(const Lineage* lineage, const FileStamp& folder) {
  for (; lineage != nullptr; lineage = lineage->parent.get()) {
    if (lineage->folder.SameObject(folder))
      return true;
  }
  return false;
}

// A folder that is gone, or no longer a folder, when it is looked up: folders
// come and go all the time (caches, temporary folders, /proc).
bool IsGone(const Failure& failure) {
  return failure.number() == failure_number::kPathNotFound ||
         failure.number() == failure_number::kFileNotFound;
}

bool MaySearch(IFolder& folder) {
  if (folder.IsRootFolder())
    return true;
  const int attributes = folder.Attributes();
  return attributes != kSkippedFolderAttributes && attributes != kSkippedFolderLinkAttributes;
}

bool IsRefusedSubFolderName(const QString& name) {
  return IsUnsafeName(name) || name.contains(u'?') || name == u"."_s || name == u".."_s;
}

// The folders of one level, each with the lineage of the folder it was found in
// (none for the folders the walk was given).
struct Level {
  QStringList folders;
  std::vector<LineagePtr> parents;

  void Append(const QString& folder, LineagePtr parent) {
    folders.append(folder);
    parents.push_back(std::move(parent));
  }
  // Removes the first entry equal to `folder` and keeps `at` on the entry
  // before the next one to visit.
  void Remove(const QString& folder, qsizetype& at) {
    const qsizetype found = folders.indexOf(folder);
    if (found < 0)
      return;
    folders.removeAt(found);
    parents.erase(parents.begin() + found);
    if (found <= at)
      --at;
  }
};

void Expand(Level& level, bool recurse, IFileSystem& fileSystem, IEventPump& pump) {
  Level found;
  for (qsizetype at = 0; at < level.folders.size(); ++at) {
    const QString path = level.folders.at(at);
    const LineagePtr parent = level.parents.at(static_cast<size_t>(at));
    std::unique_ptr<IFolder> folder;
    try {
      folder = fileSystem.GetFolder(path);
      pump.YieldSoon();
      if (!MaySearch(*folder))
        continue;
    } catch (const Failure& failure) {
      // A subfolder that is gone is dropped like one the user may not read;
      // any other failure to look a folder up ends the whole walk.
      if (parent == nullptr || !IsGone(failure))
        throw;
      level.Remove(path, at);
      continue;
    }
    const FileStamp identity = folder->Identity();
    if (LeadsBackUp(parent.get(), identity)) {
      level.Remove(path, at);
      continue;
    }
    const auto lineage = std::make_shared<const Lineage>(Lineage{identity, parent});
    try {
      for (const QString& name : folder->SubFolders()) {
        pump.YieldSoon();
        if (!IsRefusedSubFolderName(name))
          found.Append(FixRootPath(path + name + kPathSeparator), lineage);
      }
    } catch (const Failure& failure) {
      // A folder the user may not read is dropped; any other failure only ends
      // the walk of this folder's subfolders.
      if (failure.number() == failure_number::kPermissionDenied)
        level.Remove(path, at);
    }
  }
  if (recurse && !found.folders.isEmpty())
    Expand(found, true, fileSystem, pump);
  for (qsizetype at = 0; at < found.folders.size(); ++at) {
    pump.YieldSoon();
    const QString& path = found.folders.at(at);
    try {
      if (MaySearch(*fileSystem.GetFolder(path)))
        level.Append(path, found.parents.at(static_cast<size_t>(at)));
    } catch (const Failure& failure) {
      if (!IsGone(failure))
        throw;
    }
  }
}

}  // namespace

QString PickFolder(IDialogs& dialogs, const QString& prompt) {
  return dialogs.ExistingDirectory(prompt);
}

NameArray ListFiles(const QString& folder, const QString& pattern, IFileSystem& fileSystem) {
  const QString prefix = folder.endsWith(kPathSeparator) ? folder : folder + kPathSeparator;
  std::vector<ListedFile> names(kFirstRoom);
  size_t count = 0;
  for (ListedFile& name : fileSystem.ListFiles(prefix, pattern, kListingMask)) {
    ++count;
    if (count > names.size())
      names.resize(names.size() + kMoreRoom);
    names[count - 1] = std::move(name);
  }
  if (count == 0)
    return {};
  names.resize(count);
  return NameArray(std::move(names));
}

void ExpandSubFolders(QStringList& folders, bool recurse, IFileSystem& fileSystem,
                      IEventPump& pump) {
  Level level{folders, std::vector<LineagePtr>(static_cast<size_t>(folders.size()))};
  // A failure that ends the walk leaves the list as far as the walk got.
  try {
    Expand(level, recurse, fileSystem, pump);
  } catch (...) {
    folders = std::move(level.folders);
    throw;
  }
  folders = std::move(level.folders);
}

bool IsUnsafeName(const QString& name) {
  if (HasUndecodableBytes(name))
    return true;
  for (const QChar c : name) {
    const char16_t code = c.unicode();
    if (code < 32 || (code >= 127 && code <= 159) || code == u'?')
      return true;
  }
  return false;
}

void AddFolderTree(const QString& folder, const QString& pattern, IFileSystem& fileSystem,
                   IEventPump& pump, InputListModel& list, HandlerGuard& guard) {
  // The walk's look-ups wait for their helper through the window's pump.
  const FolderWalk walk(fileSystem, pump);
  QStringList folders;
  guard.Step(110, [&] { folders = QStringList{folder + kPathSeparator}; });
  guard.Step(112, [&] { ExpandSubFolders(folders, true, fileSystem, pump); });
  for (const QString& entry : std::as_const(folders)) {  // 114
    QString current;
    guard.Step(116, [&] { current = entry.chopped(1); });
    // A folder whose listing fails lists nothing, not the names of the one before.
    NameArray names;
    guard.Step(118, [&] { names = ListFiles(current, pattern, fileSystem); });
    for (int slot = 1; slot <= names.Highest(); ++slot) {  // 120
      if (guard.Test(122, [&] { return names[slot].startsWith(u'~'); }))
        continue;
      // The root's files get their one separator here already, so that a report
      // names them as the list will.
      QString path;
      guard.Step(124, [&] { path = FixRootPath(current + kPathSeparator + names[slot]); });
      // A file whose attributes cannot be read is reported and added all the same.
      if (guard.Test(126, [&] { return names.Attributes(slot) != kSkippedFileAttributes; })) {
        guard.Step(126, [&] { list.Append(path); });
      }
    }  // 128: next name
  }    // 128: next folder
}

}  // namespace vistarel
