#include "worker/MediaAnswers.h"

#include "worker/MediaInfoDLL.h"
#include "worker/ShellMediaValues.h"

namespace vistarel {

QList<MediaQuery> MediaColumnQueries() {
  QList<MediaQuery> queries;
  for (const FixedColumn& column : FixedColumns()) {
    if (column.source == ColumnSource::Media)
      queries.append({column.stream, QString::fromUtf16(column.parameter)});
  }
  return queries;
}

MediaAnswers ReadMediaAnswers(IMediaLibrary& library, const QString& path,
                              const PathStatus& looked, const QList<MediaQuery>& queries) {
  MediaAnswers answers;
  MediaInfoHandle handle = nullptr;
  try {
    handle = MediaInfo_New(library);
  } catch (const Failure& failure) {
    answers.noHandle = failure;
    return answers;
  }
  // Taken before the parse: a file that changes under it is not the file parsed.
  if (looked.target)
    answers.identity = looked.target->stamp;
  try {
    answers.opened = MediaInfo_Open(library, handle, path,
                                    looked.target ? looked.target->mode : 0u);
    for (const MediaQuery& query : queries)
      answers.values.append(MediaInfoQuery(library, handle, query.kind, query.parameter));
    // The shell's values that are media columns too come from those answers.
    answers.shell = ReadShellMediaValues(
        library, handle, [&](StreamKind kind, QStringView parameter) -> std::optional<QString> {
          for (qsizetype q = 0; q < queries.size() && q < answers.values.size(); ++q) {
            if (queries[q].kind == kind && queries[q].parameter == parameter)
              return answers.values[q];
          }
          return std::nullopt;
        });
    MediaInfo_Close(library, handle);
  } catch (const Failure& failure) {
    answers.stopped = failure;
    answers.values.clear();
    answers.shell = {};
  }
  try {
    MediaInfo_Delete(library, handle);
  } catch (const Failure& failure) {
    if (!answers.stopped)
      answers.stopped = failure;
  }
  return answers;
}

}  // namespace vistarel
