#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "helpers/HelperClient.h"
#include "protocol/Messages.h"

namespace vistarel {

class IEventPump;

// The walk's questions to the disk, asked of a helper process beside the
// window: a listing or look-up on a dead share costs that folder, never the
// window. Each question waits through the walk's pump, so the window answers
// meanwhile and a close ends the wait. A question the helper makes no progress
// on for the stall limit fails with number 57, and the next goes to a new
// helper; a place that stalled is not asked again during the walk.
class FolderWalker {
 public:
  FolderWalker(HelperCommand command, std::chrono::milliseconds stallLimit);
  ~FolderWalker();
  FolderWalker(const FolderWalker&) = delete;
  FolderWalker& operator=(const FolderWalker&) = delete;

  // The answer's payload; throws the failure when it cannot be had.
  helper_message::Payload Ask(helper_message::Kind kind, const QString& path, IEventPump& pump,
                              const QString& pattern = {}, int mask = 0);
  // The attribute values of the paths, in order, each with the failure reading
  // it: a path whose look-up makes no progress fails alone, and the next
  // helper goes on after it.
  std::vector<helper_message::AttributeValue> AskAttributes(const QStringList& paths,
                                                            IEventPump& pump);

  // What stalled is forgotten when the outermost walk ends.
  void BeginWalk() { ++walks_; }
  void EndWalk();

 private:
  struct Pending {
    std::optional<helper_message::Payload> answer;
    // The answers so far of a request answered path by path.
    std::vector<helper_message::AttributeValue> values;
    std::optional<Failure> failure;
    bool done = false;
  };
  // Sends the request and waits for it to be done, through `pump`.
  Pending Wait(helper_message::Request request, IEventPump& pump);
  HelperClient::Fit Take(const helper_message::Request& front, helper_message::Answer&& answer);
  Failure Lose(const helper_message::Request& request, HelperLoss& loss);

  QString program_;
  HelperGroup group_;
  HelperClient client_;
  quint64 nextId_ = 1;
  std::map<quint64, Pending> pending_;
  int walks_ = 0;
};

}  // namespace vistarel
