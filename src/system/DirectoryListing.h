#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "platform/FileSystem.h"

namespace vistarel {


// The names in `folder` that match `pattern` and whose hidden, system and folder
// bits all lie within `mask`, in name order. "." and ".." are never listed. A
// folder that does not exist lists nothing; other failures throw Failure.
QStringList ListDirectory(const QString& folder, const QString& pattern, int mask);

// The same listing with each name's attribute value, read as the name is
// listed. A file whose attributes cannot be read is listed with the failure;
// an entry whose kind cannot be told (gone since the folder named it) is left
// out.
std::vector<ListedFile> ListDirectoryWithAttributes(const QString& folder, const QString& pattern,
                                                    int mask);

// The names of the direct subfolders of `folder` (links to folders included,
// except on the kernel's own file systems), in the listing order. Throws
// Failure when the folder cannot be read.
QStringList ListSubFolders(const QString& folder);

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
