#pragma once

#include <QList>
#include <QString>

#include "extract/ResultColumns.h"
#include "protocol/FileAnswer.h"
#include "system/FileFacts.h"
#include "worker/MediaLibrary.h"

namespace vistarel {

// One query of a file's media values: the text of `parameter` of the first
// stream of `kind`.
struct MediaQuery {
  StreamKind kind = StreamKind::General;
  QString parameter;
};

// The queries of the media columns (sub-items 1 to 38), in column order.
QList<MediaQuery> MediaColumnQueries();

// Parses the file with a handle of its own: MediaInfo_New, MediaInfo_Open, the
// queries in order, the shell's media values, MediaInfo_Close, MediaInfo_Delete.
// `looked` is the file's look-up, made once for all it is needed for: the
// file's identity and whether it is a regular file come from it. A failure
// stops the parse and is answered, never thrown.
MediaAnswers ReadMediaAnswers(IMediaLibrary& library, const QString& path,
                              const PathStatus& looked, const QList<MediaQuery>& queries);

}  // namespace vistarel
