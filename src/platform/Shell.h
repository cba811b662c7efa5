#pragma once

#include <QList>
#include <QString>

#include <memory>

#include "protocol/FileAnswer.h"
#include "protocol/ShellColumns.h"

namespace vistarel {

// A folder as the desktop shell shows it. Its entries (the shell's Items) are
// the folder's files and subfolders in name order, numbered from 0 in that
// order. Values are worked out only for the entries and columns asked for.
class IShellFolder {
 public:
  virtual ~IShellFolder() = default;

  // GetDetailsOf(Items, column): the name of a property column, 0 to 40; may
  // be empty.
  virtual QString PropertyName(int column) = 0;

  // Items: how many entries the folder has, and an entry's display name (its
  // default property): the file name without its last extension, a folder's
  // whole name.
  virtual int ItemCount() = 0;
  virtual QString DisplayName(int item) = 0;
  // The entries whose display name equals `name` once both are lower-cased, in
  // the shell's order. Looked up, not walked: the cost does not grow with the
  // size of the folder.
  virtual QList<int> ItemsNamed(const QString& name) = 0;

  // GetDetailsOf(entry, column): the entry's value in a property column; empty
  // when it has none.
  virtual QString GetDetailsOf(int item, int column) = 0;
};

// The desktop shell (Shell.Application).
class IShell {
 public:
  virtual ~IShell() = default;
  // The folder at `path` of a file the run read, made from what its helper
  // learnt: the folder as it found it for the file's display name, and the
  // media values it read. Throws the failure the helper met looking at the
  // folder, or 76 when `path` is not that folder. The folder object keeps
  // what it needs of the answer.
  virtual std::unique_ptr<IShellFolder> Namespace(const QString& path,
                                                  const FileAnswer& answer) = 0;
};

}  // namespace vistarel
