#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

#include "base/Failure.h"
#include "protocol/Facts.h"
#include "protocol/FileStamp.h"

namespace vistarel {

class IEventPump;

// The attribute value of a path, as the folder walk and the file tests read it.
namespace file_attribute {
inline constexpr int kReadOnly = 1;    // the owner has no write permission
inline constexpr int kHidden = 2;      // the name starts with "."
inline constexpr int kSystem = 4;      // a FIFO, socket or device, or a trash folder
inline constexpr int kDirectory = 16;  // a folder, or a link to one
inline constexpr int kArchive = 32;    // a regular file, or a link to one
inline constexpr int kLink = 1024;     // the entry itself is a symbolic link
}  // namespace file_attribute

// Attribute masks of a listing: which kinds of entries it returns besides plain
// files (normal, read-only, archive). Mask 6 returns every file, hidden and
// system ones included, and no folders.
namespace listing_mask {
inline constexpr int kNormal = 0;
inline constexpr int kHidden = 2;
inline constexpr int kSystem = 4;
inline constexpr int kDirectory = 16;
}  // namespace listing_mask


// A folder looked up by IFileSystem::GetFolder.
class IFolder {
 public:
  virtual ~IFolder() = default;
  // True for the root of the file system.
  virtual bool IsRootFolder() = 0;
  // The attribute value of the folder (file_attribute bits).
  virtual int Attributes() = 0;
  // The names of the direct subfolders (links to folders included, except on
  // the kernel's /proc and /sys), in listing order. Throws Failure 70 when the
  // folder may not be read.
  virtual QStringList SubFolders() = 0;
  // The folder the path led to when it was looked up (FileStamp::SameObject
  // tells a folder reached twice).
  virtual FileStamp Identity() = 0;
};

// A file looked up by IFileSystem::GetFile.
class IFile {
 public:
  virtual ~IFile() = default;
  // One of the file's properties, by its name, as text: "name", "ShortName",
  // "DateCreated", "DateLastAccessed", "DateLastModified", "Drive",
  // "ParentFolder", "Size", "path", "ShortPath", "Type". Throws Failure 438
  // for any other name.
  virtual QString Property(const QString& name) = 0;
};

// A text file being written. Nothing appears under the file's name until Close;
// a stream destroyed without Close leaves any earlier file of that name as it
// was, except in a folder the user may not write, where the file is written in
// place.
class ITextStream {
 public:
  virtual ~ITextStream() = default;
  // Writes the text and CR LF.
  virtual void WriteLine(const QString& text) = 0;
  // Puts the complete file in place.
  virtual void Close() = 0;
};

// The file-system object of the folder walk, the extraction run and the text
// export. Failures are Failure with the system's text plus the path, and a
// number: 53 file not found, 70 permission denied, 75 path/file access error,
// 76 path not found, 57 device I/O error.
class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Fails with 76 when the path is not a folder.
  virtual std::unique_ptr<IFolder> GetFolder(const QString& path) = 0;
  // The file object of a file whose facts a helper gathered; throws the
  // failure of the look-up when the facts carry one (53 when the path is not a
  // file).
  virtual std::unique_ptr<IFile> GetFile(const QString& path, const FileFacts& facts) = 0;
  // The text after the last dot of the path's last element, empty when it has none.
  virtual QString GetExtensionName(const QString& path) = 0;
  // The files of `folder` that match `pattern` ("*" and "?" without regard to
  // letter case; "*.*" matches every name) and whose hidden, system and folder
  // bits lie within `mask` (listing_mask bits), in name order, each with
  // its attribute value. A folder that does not exist lists nothing.
  virtual std::vector<ListedFile> ListFiles(const QString& folder, const QString& pattern,
                                            int mask) = 0;
  // The attribute value of a path (file_attribute bits).
  virtual int GetAttributes(const QString& path) = 0;

  // A file system that looks at the disk in a helper process waits for its
  // answers through `pump` during a walk, so that the window answers meanwhile;
  // what stalled during the walk is not asked again. Walks may nest.
  virtual void BeginWalk(IEventPump& pump) { static_cast<void>(pump); }
  virtual void EndWalk() noexcept {}

  // An empty file of 8-bit text in the encoding of the user's locale ("?" for
  // what it cannot hold), no byte-order mark. Fails with 58 when the file exists
  // and `overwrite` is false. A file system that writes in a helper process
  // waits for it through `pump`, so that the window answers meanwhile.
  virtual std::unique_ptr<ITextStream> CreateTextFile(const QString& path, bool overwrite,
                                                      IEventPump& pump) = 0;
};

// A walk over the file system, ended when it goes out of scope however it ends.
class FolderWalk {
 public:
  FolderWalk(IFileSystem& fileSystem, IEventPump& pump) : fileSystem_(fileSystem) {
    fileSystem.BeginWalk(pump);
  }
  ~FolderWalk() { fileSystem_.EndWalk(); }
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

 private:
  IFileSystem& fileSystem_;
};

}  // namespace vistarel
