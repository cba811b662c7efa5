#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "platform/FileStamp.h"

namespace vistarel {

// A folder looked up by IFileSystem::GetFolder.
class IFolder {
 public:
  virtual ~IFolder() = default;
  // True for the root of the file system.
  virtual bool IsRootFolder() = 0;
  // The attribute value of the folder (see FileAttributes.h).
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
  // Fails with 53 when the path is not a file.
  virtual std::unique_ptr<IFile> GetFile(const QString& path) = 0;
  // The text after the last dot of the path's last element, empty when it has none.
  virtual QString GetExtensionName(const QString& path) = 0;
  // An empty file of 8-bit text in the encoding of the user's locale ("?" for
  // what it cannot hold), no byte-order mark. Fails with 58 when the file exists
  // and `overwrite` is false.
  virtual std::unique_ptr<ITextStream> CreateTextFile(const QString& path, bool overwrite) = 0;
};

}  // namespace vistarel
