#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "base/Failure.h"
#include "media/ShellMediaValues.h"
#include "platform/MediaLibrary.h"
#include "system/FileStatus.h"

namespace vistarel {

// One query of a file's media values: the text of `parameter` of the first
// stream of `kind`.
struct MediaQuery {
  StreamKind kind = StreamKind::General;
  QString parameter;
};

// What one parse of a file answers, read in a media worker and handed to the
// window's process.
struct MediaAnswers {
  // The library could not be loaded, or gave no handle: every call of the file
  // fails with this.
  std::optional<Failure> noHandle;
  // The parse stopped: a call failed, or the worker reading the file died or
  // stalled. Its values are left empty.
  std::optional<Failure> stopped;
  bool opened = false;
  // The answers of the queries, in their order.
  QStringList values;
  // The shell's media values, from the same parse.
  ShellMediaValues shell;
  // The file as it was when the parse began; none when it could not be looked up.
  std::optional<FileStamp> identity;
};

// Parses the file with a handle of its own: MediaInfo_New, MediaInfo_Open, the
// queries in order, the shell's media values, MediaInfo_Close, MediaInfo_Delete.
// A failure stops the parse and is answered, never thrown.
MediaAnswers ReadMediaAnswers(IMediaLibrary& library, const QString& path,
                              const QList<MediaQuery>& queries);

}  // namespace vistarel
