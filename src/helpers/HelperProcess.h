#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

#include "protocol/Framing.h"

class QSocketNotifier;

namespace vistarel {

class ChildProcess;

// How a helper is started: the program beside the executable and its arguments.
struct HelperCommand {
  QString program;
  QStringList arguments;
};

// One helper process beside the program, spoken to in messages framed by their
// length. Nothing here waits: what the helper says is read when the event loop
// says its pipe is readable (the signal Readable) or when its owner polls. A
// helper shows progress by what it says (answers, or the word that a system
// call returned) and by the bytes it reads and writes; one that shows none
// while it has work is stalled, and is sent SIGKILL and let go, whether the
// kernel lets it end or not. HelperClient drives it.
class HelperProcess final : public QObject {
  Q_OBJECT

 public:
  // None, with the system's reason in `why`, when it cannot be started.
  static std::unique_ptr<HelperProcess> Start(const HelperCommand& command, QString* why);
  ~HelperProcess() override;

  // Queues a whole message; it goes out as the pipe takes it.
  void Send(const QByteArray& message);
  // Reads what the helper has said so far, up to a frame's worth at a time,
  // and hands out its whole messages, in order. Never waits.
  QList<QByteArray> Receive();
  // It sent a frame larger than any message of ours.
  bool BrokeFraming() const { return reader_.IsBroken(); }
  // True once it has ended: it exited or died and its end was collected, or it
  // was given up.
  bool HasEnded() const;
  // How it ended, once it has: "stopped (exit status 3)", ...
  QString HowItEnded();
  // True when it ended of its own accord, saying all went well (exit status 0).
  bool EndedWell();

  // True while its output can still bring something.
  bool IsListening() const { return !givenUp_ && !outputEnded_; }
  // The pipe ends, for a poll over several helpers.
  int OutputFd() const;
  int InputFd() const;
  bool HasUnsent() const;
  void Flush();

  // The stall clock runs while the helper has work; giving it work after a
  // rest starts the clock anew. What it says is progress as its client
  // judges it; reading and writing files is progress too, though it says
  // nothing (its talk with us on its pipes is not).
  void SetBusy(bool busy);
  bool IsBusy() const { return busy_; }
  // How long it has been busy without progress; 0 while it rests.
  qint64 MsWithoutProgress();
  // Starts the stall clock anew: it made progress.
  void MarkProgress();
  // True when it is running on a processor just now (a loop), rather than
  // waiting for the disk or a share.
  bool IsComputing() const;
  // Kills it and stops listening; it counts as ended.
  void GiveUp();
  // When it goes, it is let go by closing its input rather than killed.
  void EndGently();
  qint64 pid() const;

 Q_SIGNALS:
  // Something can be read, or the helper ended.
  void Readable();

 private:
  explicit HelperProcess(std::unique_ptr<ChildProcess> child);
  // Bytes it read and wrote, but for its talk with us.
  std::optional<quint64> FileBytes() const;

  std::unique_ptr<ChildProcess> child_;
  QSocketNotifier* readNotifier_ = nullptr;
  QSocketNotifier* writeNotifier_ = nullptr;
  FrameReader reader_;
  bool outputEnded_ = false;
  bool givenUp_ = false;
  bool busy_ = false;
  QElapsedTimer sinceProgress_;
  std::optional<quint64> fileBytes_;
  quint64 received_ = 0;
};

}  // namespace vistarel
