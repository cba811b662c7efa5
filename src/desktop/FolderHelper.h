#pragma once

#include <QString>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "helpers/HelperProcess.h"
#include "helpers/StallMemory.h"
#include "media/WorkerMessages.h"

namespace vistarel {

class IEventPump;

// The walk's questions to the disk, asked of a helper process beside the
// window: a listing or look-up on a dead share costs that folder, never the
// window. Each question waits through the walk's pump, so the window answers
// meanwhile and a close ends the wait. A helper that makes no progress on a
// question for the stall limit is killed and let go (the kernel may keep it),
// the question fails with number 57, and the next question goes to a new
// helper; a place that stalled is not asked again during the walk.
class FolderHelper {
 public:
  explicit FolderHelper(HelperCommand command,
                        std::chrono::milliseconds stallLimit = std::chrono::seconds(30));
  ~FolderHelper();
  FolderHelper(const FolderHelper&) = delete;
  FolderHelper& operator=(const FolderHelper&) = delete;

  // The answer's payload; throws Failure when no helper can answer.
  worker_message::Payload Ask(worker_message::Kind kind, const QString& path, IEventPump& pump,
                              const QString& pattern = {}, int mask = 0);
  // The attribute values of the paths, in order, each with the failure reading
  // it: a path whose look-up makes no progress fails alone, and the next
  // helper goes on after it.
  std::vector<worker_message::AttributeValue> AskAttributes(const QStringList& paths,
                                                            IEventPump& pump);

  // What stalled is forgotten when the outermost walk ends.
  void BeginWalk() { ++walks_; }
  void EndWalk();

 private:
  struct Pending {
    worker_message::Request request;
    std::optional<worker_message::Payload> answer;
    // The answers so far of a request answered path by path.
    std::vector<worker_message::AttributeValue> values;
    std::optional<Failure> failure;
    bool IsDone() const {
      return failure || answer ||
             (request.kind == worker_message::Kind::GetAttributesOfMany &&
              values.size() == size_t(request.paths.size()));
    }
  };
  // Sends the request and waits for it to be done, through `pump`.
  Pending Wait(worker_message::Request request, IEventPump& pump);

  void EnsureHelper();
  void Poll(int milliseconds);
  void Lose(const Failure& failure, bool stalled);

  HelperCommand command_;
  std::chrono::milliseconds stallLimit_;
  std::unique_ptr<HelperProcess> helper_;
  bool greeted_ = false;
  quint64 nextId_ = 1;
  // Questions asked, in the order the helper answers them.
  std::deque<quint64> order_;
  std::map<quint64, Pending> pending_;
  StallMemory stalls_;
  int walks_ = 0;
};

}  // namespace vistarel
