#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/Failure.h"
#include "helpers/HelperProcess.h"
#include "helpers/StallMemory.h"
#include "protocol/Messages.h"

namespace vistarel {

class HelperGroup;

// Why a request was lost with its helper.
struct HelperLoss {
  enum class Why {
    CannotStart,      // no helper could be started: `how` is the system's reason
    NotOurs,          // it speaks another version of the messages
    DiedBeforeHello,  // helpers ended, again and again, before they could say hello
    Ended,            // it ended while it served the request: `how` says how
    Stalled,          // it made no progress for the stall limit and was given up
    BrokeProtocol,    // it said what it was not asked; it was ended
    StalledBefore,    // its place stalled before: it was not asked; `before` says how
  };
  Why why = Why::Ended;
  QString how;
  // What it had said it started on for the request, if anything.
  std::optional<helper_message::Activity> doing;
  // The place that stalled, remembered for the rest of the group's work:
  // where it said it was, else what the request asks for.
  StallPlace place;
  bool waitedForDisk = false;  // it waited for a disk, rather than computed
  std::optional<Failure> before;  // StalledBefore: the failure of the stall then

  // No helper can be had: every request fails alike, at once.
  bool IsBroken() const {
    return why == Why::CannotStart || why == Why::NotOurs || why == Why::DiedBeforeHello;
  }
};

// The one way to a helper process: it starts the helper, checks its hello and
// version, sends the requests in order, hands each answer of the request at the
// front to its owner, watches that the helper makes progress, gives it up when
// it stalls (and remembers what stalled), and sends the requests behind the one
// lost to a new helper. Nothing here waits: what the helper says is read in the
// events of the thread that owns the client, or in its group's polls. A client
// destroyed lets its helper go at once, stuck in the kernel or not.
class HelperClient final : public QObject {
  Q_OBJECT

 public:
  // How an answer fits the request at the front.
  enum class Fit { More, Done, Wrong };
  struct Owner {
    // An answer of the request at the front: More when more answers of it
    // follow, Done when it was its last, Wrong when it is none of its answers
    // (the helper is then ended, as if it had crashed).
    std::function<Fit(const helper_message::Request& front, helper_message::Answer&& answer)> take;
    // The request is lost: the failure it ends with. `loss.place` may be
    // corrected: a stall is remembered there.
    std::function<Failure(const helper_message::Request& request, HelperLoss& loss)> lose;
    // Optional: a request of a lost helper, about to go to the next one, may
    // be asked otherwise in the light of what stalled meanwhile.
    std::function<void(helper_message::Request& request)> revise = {};
  };

  // `name` words the helper in failures: "The media reader <program>".
  HelperClient(HelperCommand command, QString name, HelperGroup& group, Owner owner);
  ~HelperClient() override;
  HelperClient(const HelperClient&) = delete;
  HelperClient& operator=(const HelperClient&) = delete;

  // Sends the request, starting a helper if none is at work. When none can be
  // had, or the place it asks about stalled before, the request is lost at once.
  void Ask(helper_message::Request request);

  // Requests sent and not yet answered in full.
  int Pending() const { return int(queue_.size()); }
  // True while no helper can be had.
  bool IsBroken() const { return broken_.has_value(); }
  // Forgets that no helper could be had: the next request tries again.
  void TryAgain();
  // From now on the helper is let go by closing its input rather than killed:
  // it finishes what it was sent and ends by itself, as it sees fit (a writer
  // then removes what it left unfinished).
  void EndGently();
  // The helper at work, if any: its process id, and whether it is running on
  // a processor just now (rather than waiting for a disk).
  std::optional<qint64> ProcessId() const;
  bool IsComputing() const;
  // How long the helper has had work without progress.
  qint64 MsWithoutProgress();
  // Which of two helpers that both make no progress got stuck first: the one
  // that last ran on a processor longer ago, where the system tells, else the
  // one that said longer ago it started on what it is still at.
  bool StuckBefore(HelperClient& other);
  void RestartStallClock();
  // Gives the helper up for want of progress: the request at the front is
  // lost, and the rest go to a new helper.
  void GiveUpStalled();

  // The name the failures give the helper.
  const QString& Name() const { return name_; }

 Q_SIGNALS:
  // Requests were answered in full, or lost: there is room for more.
  void Settled();

 private:
  friend class HelperGroup;

  bool StartHelper();
  void Send(const helper_message::Request& request);
  // Flushes what is queued for it, reads what it said and handles it.
  void Service();
  void Handle(helper_message::Answer&& answer);
  void SaySettled();
  // Ends the helper; the request at the front is lost with `loss`, those
  // behind it go to the next helper.
  void EndHelper(HelperLoss loss, bool blameFront = true);
  void Break(HelperLoss loss);
  void Lose(const helper_message::Request& request, HelperLoss loss);
  // Loses the request at once when its place stalled before.
  bool LostToAnEarlierStall(const helper_message::Request& request);
  StallPlace PlaceOf(const helper_message::Request& request) const;
  int OutputFd() const;
  int InputFd() const;
  bool HasUnsent() const;

  HelperCommand command_;
  QString name_;
  HelperGroup& group_;
  Owner owner_;
  std::unique_ptr<HelperProcess> process_;
  bool greeted_ = false;
  int deathsBeforeHello_ = 0;
  std::deque<helper_message::Request> queue_;  // sent, in order; the first is being served
  std::optional<helper_message::Activity> doing_;  // of the request at the front
  // When it started on the activity it said last, while nothing came since.
  std::optional<qint64> startedLastNs_;
  qint64 StuckSinceNs();
  std::optional<HelperLoss> broken_;
  bool settled_ = false;  // a request settled since Settled was last said
  bool gently_ = false;
  qsizetype chatter_ = 0;  // bytes of notes since its last answer
  // While a lost helper's requests go to the next one, what the owner asks
  // waits here.
  bool holding_ = false;
  std::deque<helper_message::Request> held_;
};

// The helpers that work for one run, walk or save. They share what stalled:
// a place that stalled for one is not asked of another. When several stall at
// once, the one that got stuck first is given up first, and the others get a
// moment to show progress: they may have waited behind it in the kernel,
// which lets them go once it is killed.
class HelperGroup final : public QObject {
  Q_OBJECT

 public:
  explicit HelperGroup(std::chrono::milliseconds stallLimit = std::chrono::seconds(30),
                       std::chrono::milliseconds stallCheck = std::chrono::seconds(1));
  ~HelperGroup() override;

  StallMemory& Stalls() { return stalls_; }
  std::chrono::milliseconds StallLimit() const { return stallLimit_; }

  // Reads the pipes of every helper of the group for at most `milliseconds`,
  // handles what they said, and checks their progress when a check is due.
  void Poll(int milliseconds);
  // Gives up the helper that stalled first, if any has.
  void CheckProgress();

 Q_SIGNALS:
  // After each check of progress, every stall check interval.
  void Checked();

 private:
  friend class HelperClient;

  std::chrono::milliseconds stallLimit_;
  std::chrono::milliseconds stallCheck_;
  std::vector<HelperClient*> clients_;
  QElapsedTimer sinceGiveUp_;
  StallMemory stalls_;
  QTimer timer_;
  QElapsedTimer sinceCheck_;
};

}  // namespace vistarel
