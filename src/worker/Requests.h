#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

#include "desktop/LinuxFileSystem.h"
#include "media/MediaAnswers.h"
#include "media/WorkerMessages.h"
#include "platform/MediaLibrary.h"
#include "system/FolderFacts.h"

namespace vistarel {

// Answers the program's requests, one after the other, looking at the disk and
// reading media files in this process. Keeps the listings of the folders it
// met last, so that a run over a large folder lists it once.
class RequestServer {
 public:
  using Send = std::function<void(const QByteArray& message)>;

  RequestServer(IMediaLibrary& library, QList<MediaQuery> queries)
      : library_(library), queries_(std::move(queries)) {}

  // Sends the request's answers: a Parse's facts before the file is parsed (so
  // that a parse that crashes or stalls costs only its media values), then its
  // media values, then its same-named siblings' media values; one answer for
  // each request of the walk.
  void Serve(const worker_message::Request& request, const Send& send);

 private:
  void Parse(const worker_message::Request& request, const Send& send);
  worker_message::Payload Walk(const worker_message::Request& request);

  IMediaLibrary& library_;
  QList<MediaQuery> queries_;
  FolderFactsGatherer folders_;
  LinuxFileSystem fileSystem_;
};

// The worker's loop: says hello on `output`, then serves each request that
// comes on `input`, in order, until `input` ends. While it works it says now
// and then that a system call returned. Returns the process's exit status.
int ServeRequests(int input, int output, IMediaLibrary& library, const QList<MediaQuery>& queries);

}  // namespace vistarel
