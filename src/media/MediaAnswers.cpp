#include "media/MediaAnswers.h"

#include "media/MediaInfoDLL.h"
#include "system/FileNames.h"

namespace vistarel {

MediaAnswers ReadMediaAnswers(IMediaLibrary& library, const QString& path,
                              const QList<MediaQuery>& queries) {
  MediaAnswers answers;
  MediaInfoHandle handle = nullptr;
  try {
    handle = MediaInfo_New(library);
  } catch (const Failure& failure) {
    answers.noHandle = failure;
    return answers;
  }
  // Taken before the parse: a file that changes under it is not the file parsed.
  answers.identity = StampOf(EncodeFileName(path));
  try {
    answers.opened = MediaInfo_Open(library, handle, path);
    for (const MediaQuery& query : queries)
      answers.values.append(MediaInfoQuery(library, handle, query.kind, query.parameter));
    answers.shell = ReadShellMediaValues(library, handle);
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
