#include "filelist/AddFolder.h"

#include <memory>
#include <set>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "filelist/InputListModel.h"
#include "platform/Dialogs.h"
#include "platform/DirectoryListing.h"
#include "platform/EventPump.h"
#include "platform/FileAttributes.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "report/HandlerGuard.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Every file, hidden and system ones included; no folders.
constexpr int kListingMask = listing_mask::kHidden | listing_mask::kSystem;

// The name array starts with room for this many names and grows by the second.
constexpr size_t kFirstRoom = 100;
constexpr size_t kMoreRoom = 50;

using ReachedFolders = std::set<FolderIdentity>;

bool MaySearch(IFolder& folder) {
  if (folder.IsRootFolder())
    return true;
  const int attributes = folder.Attributes();
  return attributes != kSkippedFolderAttributes && attributes != kSkippedFolderLinkAttributes;
}

bool IsRefusedSubFolderName(const QString& name) {
  return IsUnsafeName(name) || name.contains(u'?') || name == u"."_s || name == u".."_s;
}

// Notes the folder a subfolder path leads to; true when the walk has reached it
// before, through a link back to an ancestor or a sibling. Only folders that
// will be searched count, so a skipped trash folder does not hide an ordinary
// link to it. A path that cannot be looked up now counts as new: the lookup of
// its own level deals with it.
bool ReachedBefore(IFileSystem& fileSystem, const QString& path, ReachedFolders& reached) {
  try {
    const std::unique_ptr<IFolder> folder = fileSystem.GetFolder(path);
    return MaySearch(*folder) && !reached.insert(folder->Identity()).second;
  } catch (const Failure&) {
    return false;
  }
}

// Removes the first entry equal to `folder` and keeps `at` on the entry before
// the next one to visit.
void RemoveFolder(QStringList& folders, const QString& folder, qsizetype& at) {
  const qsizetype found = folders.indexOf(folder);
  if (found < 0)
    return;
  folders.removeAt(found);
  if (found <= at)
    --at;
}

void Expand(QStringList& folders, bool recurse, IFileSystem& fileSystem, IEventPump& pump,
            ReachedFolders& reached) {
  QStringList found;
  for (qsizetype at = 0; at < folders.size(); ++at) {
    const QString path = folders.at(at);
    // A failure to look the folder up or read its attributes ends the whole walk.
    const std::unique_ptr<IFolder> folder = fileSystem.GetFolder(path);
    pump.YieldSoon();
    if (!MaySearch(*folder))
      continue;
    reached.insert(folder->Identity());
    try {
      for (const QString& name : folder->SubFolders()) {
        pump.YieldSoon();
        if (IsRefusedSubFolderName(name))
          continue;
        const QString subFolder = path + name + kPathSeparator;
        if (!ReachedBefore(fileSystem, subFolder, reached))
          found.append(subFolder);
      }
    } catch (const Failure& failure) {
      // A folder the user may not read is dropped; any other failure only ends
      // the walk of this folder's subfolders.
      if (failure.number() == failure_number::kPermissionDenied)
        RemoveFolder(folders, path, at);
    }
  }
  if (recurse && !found.isEmpty())
    Expand(found, true, fileSystem, pump, reached);
  for (const QString& path : found) {
    pump.YieldSoon();
    if (MaySearch(*fileSystem.GetFolder(path)))
      folders.append(path);
  }
}

}  // namespace

QString PickFolder(IDialogs& dialogs, const QString& prompt) {
  return dialogs.ExistingDirectory(prompt);
}

NameArray ListFiles(const QString& folder, const QString& pattern) {
  const QString prefix = folder.endsWith(kPathSeparator) ? folder : folder + kPathSeparator;
  std::vector<QString> names(kFirstRoom);
  size_t count = 0;
  for (const QString& name : ListDirectory(prefix, pattern, kListingMask)) {
    ++count;
    if (count > names.size())
      names.resize(names.size() + kMoreRoom);
    names[count - 1] = name;
  }
  if (count == 0)
    return {};
  names.resize(count);
  return NameArray(std::move(names));
}

void ExpandSubFolders(QStringList& folders, bool recurse, IFileSystem& fileSystem,
                      IEventPump& pump) {
  ReachedFolders reached;
  Expand(folders, recurse, fileSystem, pump, reached);
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
  QStringList folders;
  guard.Step(110, [&] { folders = QStringList{folder + kPathSeparator}; });
  guard.Step(112, [&] { ExpandSubFolders(folders, true, fileSystem, pump); });
  for (const QString& entry : std::as_const(folders)) {  // 114
    QString current;
    guard.Step(116, [&] { current = entry.chopped(1); });
    // A folder whose listing fails lists nothing, not the names of the one before.
    NameArray names;
    guard.Step(118, [&] { names = ListFiles(current, pattern); });
    for (int slot = 1; slot <= names.Highest(); ++slot) {  // 120
      if (guard.Test(122, [&] { return names[slot].startsWith(u'~'); }))
        continue;
      QString path;
      guard.Step(124, [&] { path = current + kPathSeparator + names[slot]; });
      // A file whose attributes cannot be read is reported and added all the same.
      if (guard.Test(126, [&] { return AttributesOf(path) != kSkippedFileAttributes; })) {
        guard.Step(126, [&] { list.Append(FixRootPath(path)); });
      }
    }  // 128: next name
  }    // 128: next folder
}

}  // namespace vistarel
