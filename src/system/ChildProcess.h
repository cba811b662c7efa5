#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

#include <sys/types.h>

#include "system/FileDescriptor.h"

namespace vistarel {

// A helper program started beside ours, spoken to over two pipes that never
// block us. Nothing here ever waits for the child: a child stuck in the kernel
// (a dead share) is sent SIGKILL and left behind, and its exit is collected
// whenever it comes.
class ChildProcess {
 public:
  // Starts `program` with `arguments`. It reads what we send on descriptor
  // `requestFd` and writes what we receive on `answerFd`; its standard input,
  // output and error lead to /dev/null, it holds no other descriptor of ours,
  // and its environment holds the locale and nothing else. None, with the
  // errno in `error`, when it cannot be started.
  static std::unique_ptr<ChildProcess> Start(const QString& program, const QStringList& arguments,
                                             int requestFd, int answerFd, int* error = nullptr);

  ChildProcess(pid_t pid, FileDescriptor input, FileDescriptor output);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Kills the child and lets it go; its exit is collected later.
  ~ChildProcess();
  // From now on it is let go by closing its input instead: it ends by itself.
  void EndGently() { gently_ = true; }

  pid_t pid() const { return pid_; }
  // The pipe ends, for a wait on them (poll, QSocketNotifier).
  int OutputFd() const { return output_.get(); }
  int InputFd() const { return input_.get(); }

  // Queues the bytes and sends what the pipe takes now; false when the child
  // no longer reads its input.
  bool Send(const QByteArray& bytes);
  // The bytes that went to the child, all told.
  quint64 BytesSent() const { return sent_; }
  // Sends what is queued, as far as the pipe takes it now.
  bool Flush();
  bool HasUnsent() const { return !unsent_.isEmpty(); }

  // Appends what the child has written so far, at most `most` bytes; false
  // once its output has ended (it exited, or closed it).
  bool Receive(QByteArray& into, qsizetype most);

  void Kill();
  // The child's wait status once it has ended; none while it runs. Never waits.
  std::optional<int> Ended();

  // How an ended child ended, in words: "stopped (exit status 3)", "stopped
  // (signal 11, Segmentation fault)".
  static QString HowItEnded(int waitStatus);

 private:
  pid_t pid_ = -1;
  FileDescriptor input_;
  FileDescriptor output_;
  QByteArray unsent_;
  quint64 sent_ = 0;
  std::optional<int> status_;
  bool gently_ = false;
};

// Collects the exits of children that were let go and have ended since.
void CollectLetGoChildren();

}  // namespace vistarel
