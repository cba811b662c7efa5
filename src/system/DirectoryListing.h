#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace vistarel {

// Attribute masks of a listing: which kinds of entries it returns besides plain
// files (normal, read-only, archive). Mask 6 returns every file, hidden and
// system ones included, and no folders.
namespace listing_mask {
inline constexpr int kNormal = 0;
inline constexpr int kHidden = 2;
inline constexpr int kSystem = 4;
inline constexpr int kDirectory = 16;
}  // namespace listing_mask

// The names in `folder` that match `pattern` and whose hidden, system and folder
// bits all lie within `mask`, in name order. "." and ".." are never listed. A
// folder that does not exist lists nothing; other failures throw Failure.
QStringList ListDirectory(const QString& folder, const QString& pattern, int mask);

// Wildcards of a listing: "*" and "?", without regard to letter case; "*.*"
// matches every name, with or without a dot.
bool MatchesWildcard(const QString& pattern, const QString& name);

// The listing order: by name without regard to case, then with it.
bool ComesBefore(const QString& a, const QString& b);
void SortNames(QStringList& names);

// One entry of a folder, and whether it is a folder (FolderReader::IsFolder).
struct FolderEntry {
  QString name;
  bool isFolder = false;
};
// Every entry of `folder` in the listing order. A folder the user may not read
// lists nothing, as in a file manager; other failures throw Failure.
std::vector<FolderEntry> ListFolderEntries(const QString& folder);

}  // namespace vistarel
