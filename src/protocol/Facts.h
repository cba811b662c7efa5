#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

#include "base/Failure.h"
#include "protocol/FileStamp.h"

namespace vistarel {

// The plain facts a helper gathers about a user's files and folders, for the
// window to turn into the texts the user reads. Nothing here looks at a disk.

// What a stat tells the file-system object and the shell, in plain numbers.
struct FileStatus {
  unsigned mode = 0;
  qint64 size = 0;
  qint64 accessedMs = 0;  // since the epoch
  qint64 modifiedMs = 0;
  qint64 createdMs = 0;
  bool hasCreated = false;  // the file system records birth times
  unsigned user = 0;
  unsigned group = 0;
  FileStamp stamp;
  std::uint64_t mountId = 0;
  bool hasMountId = false;
};

// The facts of a file that its file-system object shows.
struct FileFacts {
  // Why the file cannot be looked up: the system's text and the path; 53 for a
  // folder, which is no file.
  std::optional<Failure> failure;
  FileStatus status;  // of what the path leads to
  QString drive;      // the mount point of its file system
  QString mimeType;   // the name of its type in the shared MIME database
  bool remote = false;  // on a network or FUSE file system
};

// The facts of one entry of a folder that the shell's property columns show.
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

// A file of a folder listing with its attribute value, or the failure reading it.
struct ListedFile {
  QString name;
  int attributes = 0;
  std::optional<Failure> failure;
};

}  // namespace vistarel
