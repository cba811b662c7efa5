#include "worker/MediaWorker.h"

#include <cerrno>

#include <unistd.h>

namespace vistarel {

namespace {

bool WriteAll(int fd, const QByteArray& bytes) {
  const char* at = bytes.constData();
  auto left = std::size_t(bytes.size());
  while (left > 0) {
    const ssize_t written = write(fd, at, left);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    at += written;
    left -= std::size_t(written);
  }
  return true;
}

}  // namespace

int ServeMediaRequests(int input, int output, IMediaLibrary& library,
                       const QList<MediaQuery>& queries) {
  if (!WriteAll(output, media_message::Hello()))
    return 1;
  media_message::Reader reader;
  QByteArray chunk(64 * 1024, Qt::Uninitialized);
  for (;;) {
    while (const std::optional<QByteArray> body = reader.Next()) {
      const auto request = media_message::ParseRequest(*body);
      if (!request)
        return 2;  // not a program of this build
      const MediaAnswers answers = ReadMediaAnswers(library, request->path, queries);
      if (!WriteAll(output, media_message::Answer(request->id, answers)))
        return 1;
    }
    const ssize_t count = read(input, chunk.data(), std::size_t(chunk.size()));
    if (count < 0 && errno == EINTR)
      continue;
    if (count <= 0)
      return 0;  // the program has ended the run
    reader.Append(QByteArray(chunk.constData(), count));
  }
}

}  // namespace vistarel
