#include "system/DirectoryListing.h"

#include <QtAlgorithms>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "system/Errno.h"
#include "system/FileAttributes.h"
#include "system/FileNames.h"
#include "system/FolderReader.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// The bits of an entry that decide whether a listing returns it, read from the
// entry's type where that is enough, so that plain files cost no stat.
int KindBits(DIR* dir, const dirent& entry, const QString& path) {
  const QByteArray name(entry.d_name);
  const bool hidden = entry.d_name[0] == '.';
  switch (entry.d_type) {
    case DT_REG:
      return hidden ? file_attribute::kHidden : 0;
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
      return file_attribute::kSystem | (hidden ? file_attribute::kHidden : 0);
    default:
      return AttributesAt(dirfd(dir), name, path);
  }
}

bool WithinMask(int attributes, int mask) {
  const int kinds = file_attribute::kHidden | file_attribute::kSystem | file_attribute::kDirectory;
  return (attributes & kinds & ~mask) == 0;
}

QString FoldCase(const QString& text) {
  return text.toCaseFolded();
}

}  // namespace

bool MatchesWildcard(const QString& pattern, const QString& name) {
  if (pattern == u"*.*"_s || pattern == u"*"_s)
    return true;
  const QString p = FoldCase(pattern);
  const QString n = FoldCase(name);
  qsizetype pi = 0;
  qsizetype ni = 0;
  qsizetype starAt = -1;
  qsizetype resumeAt = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == u'?' || p[pi] == n[ni])) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == u'*') {
      starAt = pi++;
      resumeAt = ni;
    } else if (starAt >= 0) {
      pi = starAt + 1;
      ni = ++resumeAt;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'*') ++pi;
  return pi == p.size();
}

bool ComesBefore(const QString& a, const QString& b) {
  const int folded = a.compare(b, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : a < b;
}

void SortNames(QStringList& names) {
  std::sort(names.begin(), names.end(), ComesBefore);
}

std::vector<FolderEntry> ListFolderEntries(const QString& folder) {
  FolderReader dir(folder);
  if (!dir.IsOpen() && dir.OpenError() != EACCES && dir.OpenError() != EPERM)
    ThrowErrno(dir.OpenError(), folder);
  std::vector<FolderEntry> entries;
  while (const dirent* entry = dir.Next()) {
    const char* raw = entry->d_name;
    entries.push_back({DecodeFileName(raw, qsizetype(strlen(raw))), dir.IsFolder(*entry)});
  }
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return ComesBefore(a.name, b.name); });
  return entries;
}

namespace {

// The listing of ListDirectory, each matching entry handed to `take` with the
// bits that decide whether it is returned; `withAttributes` reads every
// entry's whole attribute value (a stat each) rather than only what its type
// does not tell.
template <class Take>
void ForEachListed(const QString& folder, const QString& pattern, bool withAttributes, Take take) {
  FolderReader dir(folder);
  if (!dir.IsOpen()) {
    if (dir.OpenError() == ENOENT || dir.OpenError() == ENOTDIR)
      return;
    ThrowErrno(dir.OpenError(), folder);
  }
  const QString prefix = folder.endsWith(kPathSeparator) ? folder : folder + kPathSeparator;
  while (const dirent* entry = dir.Next()) {
    const char* raw = entry->d_name;
    const QString name = DecodeFileName(raw, qsizetype(strlen(raw)));
    if (!MatchesWildcard(pattern, name))
      continue;
    const bool kindKnown = entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN;
    try {
      if (withAttributes) {
        take(name, AttributesAt(dirfd(dir.get()), QByteArray(raw), prefix + name),
             std::optional<Failure>());
      } else {
        take(name, KindBits(dir.get(), *entry, prefix + name), std::optional<Failure>());
      }
    } catch (const Failure& failure) {
      // Gone since the folder named it, or not to be looked at; a file whose
      // type the listing tells is listed all the same, with the failure.
      if (withAttributes && kindKnown)
        take(name, KindBits(dir.get(), *entry, prefix + name), std::optional<Failure>(failure));
    }
  }
}

}  // namespace

QStringList ListDirectory(const QString& folder, const QString& pattern, int mask) {
  QStringList names;
  ForEachListed(folder, pattern, false,
                [&](const QString& name, int bits, const std::optional<Failure>&) {
                  if (WithinMask(bits, mask))
                    names.append(name);
                });
  SortNames(names);
  return names;
}

std::vector<ListedFile> ListDirectoryWithAttributes(const QString& folder, const QString& pattern,
                                                    int mask) {
  std::vector<ListedFile> names;
  ForEachListed(folder, pattern, true,
                [&](const QString& name, int attributes, const std::optional<Failure>& failure) {
                  if (WithinMask(attributes, mask))
                    names.push_back({name, failure ? 0 : attributes, failure});
                });
  std::sort(names.begin(), names.end(), [](const ListedFile& a, const ListedFile& b) {
    return ComesBefore(a.name, b.name);
  });
  return names;
}

QStringList ListSubFolders(const QString& folder) {
  FolderReader dir(folder);
  if (!dir.IsOpen())
    ThrowErrno(dir.OpenError(), folder);
  QStringList names;
  while (const dirent* entry = dir.Next()) {
    if (dir.IsFolder(*entry))
      names.append(DecodeFileName(entry->d_name, qsizetype(std::strlen(entry->d_name))));
  }
  SortNames(names);
  return names;
}

}  // namespace vistarel
