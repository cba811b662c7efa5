#include "system/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "system/FileNames.h"

extern char** environ;

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Children let go before they ended; their exits are collected later, so that
// none stays a zombie for long.
std::vector<pid_t>& LetGo() {
  static std::vector<pid_t> children;
  return children;
}

bool MakePipe(int ends[2]) {
  return pipe2(ends, O_CLOEXEC) == 0;
}

// The child's end of a pipe, moved above the descriptors it is to have, so
// that putting one in place never overwrites another.
FileDescriptor AboveTheChildsOwn(FileDescriptor end) {
  return FileDescriptor(fcntl(end.get(), F_DUPFD_CLOEXEC, 10));
}

// What a helper keeps of our environment: the locale, and the sanitizers'
// settings of a development build.
std::vector<QByteArray> HelperEnvironment() {
  std::vector<QByteArray> kept;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const QByteArray entry(*variable);
    if (entry.startsWith("LANG=") || entry.startsWith("LANGUAGE=") || entry.startsWith("LC_") ||
        entry.startsWith("ASAN_OPTIONS=") || entry.startsWith("UBSAN_OPTIONS=") ||
        entry.startsWith("LSAN_OPTIONS=")) {
      kept.push_back(entry);
    }
  }
  return kept;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const QString& program,
                                                  const QStringList& arguments, int requestFd,
                                                  int answerFd, int* error) {
  const auto fail = [error](int why) {
    if (error != nullptr)
      *error = why;
    return std::unique_ptr<ChildProcess>();
  };
  // A child that dies while we write to it must cost us a failed write, not
  // the program.
  static const bool pipeSignalIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
  static_cast<void>(pipeSignalIgnored);
  CollectLetGoChildren();
  int toChild[2];
  int fromChild[2];
  if (!MakePipe(toChild))
    return fail(errno);
  const FileDescriptor childInput = AboveTheChildsOwn(FileDescriptor(toChild[0]));
  FileDescriptor input(toChild[1]);
  if (!MakePipe(fromChild))
    return fail(errno);
  FileDescriptor output(fromChild[0]);
  const FileDescriptor childOutput = AboveTheChildsOwn(FileDescriptor(fromChild[1]));
  const FileDescriptor nowhere(open("/dev/null", O_RDWR | O_CLOEXEC));
  if (!childInput.IsOpen() || !childOutput.IsOpen() || !nowhere.IsOpen())
    return fail(errno);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    posix_spawn_file_actions_adddup2(&actions, nowhere.get(), standard);
  posix_spawn_file_actions_adddup2(&actions, childInput.get(), requestFd);
  posix_spawn_file_actions_adddup2(&actions, childOutput.get(), answerFd);
  // Nothing else of ours: our own descriptors are close-on-exec, and whatever
  // we were handed without that flag is closed too.
  posix_spawn_file_actions_addclosefrom_np(&actions, std::max(requestFd, answerFd) + 1);
  const QByteArray path = EncodeFileName(program);
  std::vector<QByteArray> words{path};
  for (const QString& argument : arguments) words.push_back(EncodeFileName(argument));
  std::vector<char*> argv;
  for (QByteArray& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  std::vector<QByteArray> environment = HelperEnvironment();
  std::vector<char*> envp;
  for (QByteArray& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const int spawned =
      posix_spawn(&pid, path.constData(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
    return fail(spawned);
  fcntl(input.get(), F_SETFL, O_NONBLOCK);
  fcntl(output.get(), F_SETFL, O_NONBLOCK);
  return std::make_unique<ChildProcess>(pid, std::move(input), std::move(output));
}

ChildProcess::ChildProcess(pid_t pid, FileDescriptor input, FileDescriptor output)
    : pid_(pid), input_(std::move(input)), output_(std::move(output)) {}

ChildProcess::~ChildProcess() {
  if (!gently_)
    Kill();
  input_.Reset();
  output_.Reset();
  if (!Ended())
    LetGo().push_back(pid_);
}

bool ChildProcess::Send(const QByteArray& bytes) {
  unsent_.append(bytes);
  return Flush();
}

bool ChildProcess::Flush() {
  while (!unsent_.isEmpty()) {
    const ssize_t written = write(input_.get(), unsent_.constData(), size_t(unsent_.size()));
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return errno == EAGAIN;
    }
    unsent_.remove(0, written);
    sent_ += quint64(written);
  }
  return true;
}

bool ChildProcess::Receive(QByteArray& into, qsizetype most) {
  char chunk[64 * 1024];
  for (qsizetype got = 0; got < most;) {
    const ssize_t count = read(output_.get(), chunk, size_t(std::min<qsizetype>(sizeof chunk, most - got)));
    if (count > 0) {
      into.append(chunk, count);
      got += count;
      continue;
    }
    if (count < 0 && errno == EINTR)
      continue;
    return count < 0 && errno == EAGAIN;
  }
  return true;
}

void ChildProcess::Kill() {
  if (pid_ > 0 && !status_)
    kill(pid_, SIGKILL);
}

std::optional<int> ChildProcess::Ended() {
  if (!status_ && pid_ > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_)
      status_ = status;
  }
  return status_;
}

QString ChildProcess::HowItEnded(int waitStatus) {
  if (WIFSIGNALED(waitStatus)) {
    const int signal = WTERMSIG(waitStatus);
    return u"stopped (signal %1, %2)"_s.arg(signal).arg(QString::fromLocal8Bit(strsignal(signal)));
  }
  return u"stopped (exit status %1)"_s.arg(WEXITSTATUS(waitStatus));
}

void CollectLetGoChildren() {
  std::vector<pid_t>& children = LetGo();
  std::erase_if(children, [](pid_t pid) {
    int status = 0;
    const pid_t reaped = waitpid(pid, &status, WNOHANG);
    return reaped == pid || (reaped < 0 && errno == ECHILD);
  });
}

}  // namespace vistarel
