#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "platform/FileSystem.h"

namespace vistarel {

class HandlerGuard;
class IDialogs;
class IEventPump;
class InputListModel;

// Folder picking and folder-tree walking, shared by "Add All Video File/s In
// Folder", the drops on the input list and the sample files.

// The names a folder listing found, in slots numbered from 1 to Highest(). A
// folder without a matching file gives the single empty slot 0, so a walk over
// the slots 1 to Highest() does nothing.
class NameArray {
 public:
  NameArray() : slots_(1), lowest_(0) {}
  explicit NameArray(std::vector<ListedFile> names) : slots_(std::move(names)), lowest_(1) {}

  int Lowest() const { return lowest_; }
  int Highest() const { return lowest_ + static_cast<int>(slots_.size()) - 1; }
  // The name in a slot from Lowest() to Highest().
  const QString& operator[](int slot) const { return At(slot).name; }
  // Its attribute value, read as it was listed; throws the failure reading it.
  int Attributes(int slot) const {
    const ListedFile& file = At(slot);
    if (file.failure)
      throw *file.failure;
    return file.attributes;
  }

 private:
  const ListedFile& At(int slot) const { return slots_[static_cast<size_t>(slot - lowest_)]; }

  std::vector<ListedFile> slots_;
  int lowest_;
};

// A file whose attribute value is exactly this (hidden + archive) is not added.
inline constexpr int kSkippedFileAttributes = 34;
// A folder whose attribute value is exactly one of these (a hidden trash folder,
// or a hidden link to one) is neither searched nor listed, unless it is the root.
inline constexpr int kSkippedFolderAttributes = 22;
inline constexpr int kSkippedFolderLinkAttributes = 1046;

// The folder the user chose, without a trailing separator (except the root);
// empty text when cancelled.
QString PickFolder(IDialogs& dialogs, const QString& prompt);

// The names in `folder` matching `pattern`, hidden and system files included,
// folders excluded, in the listing's order, each with its attribute value.
NameArray ListFiles(const QString& folder, const QString& pattern, IFileSystem& fileSystem);

// Appends to `folders` (each ending in a separator) every folder below them
// that may be searched, in level order: all direct subfolders of the list, then
// theirs, and so on. A folder that may not be read, and a subfolder that is gone
// when it is looked up, are taken out of the list. Links are walked like
// folders, except one that leads back to the folder it is in or to one of that
// folder's ancestors in the walk. Yields to the event loop once per folder
// looked up, per subfolder seen and per folder listed.
void ExpandSubFolders(QStringList& folders, bool recurse, IFileSystem& fileSystem,
                      IEventPump& pump);

// True when a folder name holds a control character (below 32, or 127 to 159),
// a question mark, or bytes that are not valid in the file-name encoding.
bool IsUnsafeName(const QString& name);

// Appends every file matching `pattern` in `folder` (no trailing separator,
// except the root) and its whole tree to `list`, folder by folder in level
// order, without tilde files and without files whose attribute value is 34.
// Its steps are steps of the calling handler: `guard` reports a failing one
// with its number (110 to 128) and the walk goes on with the next.
void AddFolderTree(const QString& folder, const QString& pattern, IFileSystem& fileSystem,
                   IEventPump& pump, InputListModel& list, HandlerGuard& guard);

}  // namespace vistarel
