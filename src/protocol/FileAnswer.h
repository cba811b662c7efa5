#pragma once

#include <QList>
#include <QStringList>

#include <optional>

#include "base/Failure.h"
#include "protocol/Facts.h"
#include "protocol/FileStamp.h"
#include "protocol/ShellColumns.h"

namespace vistarel {

// What one parse of a file by the MediaInfo library answers.
struct MediaAnswers {
  // The library could not be loaded, or gave no handle: every library step of
  // the file fails with this.
  std::optional<Failure> noHandle;
  // The parse stopped: a call failed, or the helper reading the file died or
  // stalled. Its values are left empty.
  std::optional<Failure> stopped;
  bool opened = false;
  // The answers of the media columns, in column order.
  QStringList values;
  // The shell's media values, from the same parse.
  ShellMediaValues shell;
  // The file as it was when the parse began; none when it could not be looked up.
  std::optional<FileStamp> identity;
};

// The shell's media values of an entry of the file's folder other than the
// file itself.
struct SiblingValues {
  int item = 0;
  ShellMediaValues values;
};

// All a helper learnt of one file of a run, handed to the run as a value: the
// file's own facts, its media values, its folder as the shell shows it for the
// file's display name, and the media values of its same-named siblings.
// Whatever could not be had carries the failure why.
struct FileAnswer {
  FileFacts file;
  MediaAnswers media;
  FolderFacts folder;
  QList<SiblingValues> siblings;

  // The shell's media values of one of the folder's entries: those of the
  // parse when it is the very file parsed, unchanged since, else those read
  // for the entry on its own; none when it was not read.
  ShellMediaValues MediaValuesOf(const EntryFacts& entry) const;
};

}  // namespace vistarel
