#pragma once

// Mounts slowfs (a FUSE mirror, read-only unless "--writable" is among the
// further arguments, where every read() and write() takes the delay, and where
// reads and writes of files named "*stall*" never answer) for the life of an
// object, so that a test can point the program at a slow or stalled disk:
//
//   SlowFsMount mount(VISTAREL_SLOWFS, source, mountPoint, 300);
//   if (!mount.isMounted())
//     GTEST_SKIP() << mount.reason();
//
// The destructor unmounts and ends slowfs even while a read is stalled (that
// read then fails with EIO), so that nothing stays mounted or running. A
// reader killed during a stalled read ends at once. Create the object on a
// thread that outlives it: slowfs is told to end when that thread ends, so
// that a test that dies leaves no mount behind.

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vistarel::test {

class SlowFsMount {
 public:
  // Why no slowfs mount can be made here, or empty when one can be tried.
  static std::string UnavailableReason(const std::string& slowfs) {
    if (access(slowfs.c_str(), X_OK) != 0)
      return "slowfs is not built: " + slowfs;
    struct stat st {};
    if (stat("/dev/fuse", &st) != 0 || !S_ISCHR(st.st_mode))
      return "/dev/fuse is missing";
    const int fuse = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fuse < 0)
      return std::string("/dev/fuse cannot be opened: ") + std::strerror(errno);
    close(fuse);
    if (FindProgram("fusermount3").empty())
      return "fusermount3 is missing (Debian package fuse3)";
    return {};
  }

  // Mounts `source` on `mountPoint` (made when missing) with reads delayed by
  // `delayMs`, and waits until the mount is live or `timeout` has passed.
  // `more` are further slowfs arguments: "--op-delay-ms", "2" for a share's
  // round trip on every call, "--stuck-when-killed", "--writable".
  SlowFsMount(const std::string& slowfs, const std::string& source, std::string mountPoint,
              int delayMs = 300, std::chrono::milliseconds timeout = std::chrono::seconds(10),
              const std::vector<std::string>& more = {})
      : mountPoint_(std::move(mountPoint)) {
    reason_ = UnavailableReason(slowfs);
    if (!reason_.empty())
      return;
    if (mkdir(mountPoint_.c_str(), 0700) != 0 && errno != EEXIST) {
      reason_ = "cannot make the mount point " + mountPoint_ + ": " + std::strerror(errno);
      return;
    }
    // What slowfs says goes here, not into the test's log: a reason when it
    // fails, noise when it is ended during a stalled read.
    output_ = memfd_create("slowfs-output", MFD_CLOEXEC);
    // Foreground (-f), so that the process started here is slowfs itself.
    std::vector<std::string> arguments = {slowfs, source, mountPoint_, "--delay-ms",
                                          std::to_string(delayMs), "-f"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    pid_ = Start(arguments, output_, /*endWithParent=*/true);
    if (pid_ < 0) {
      reason_ = std::string("cannot start slowfs: ") + std::strerror(errno);
      return;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!IsMountPoint(mountPoint_)) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        reason_ = "slowfs ended before mounting (" + Describe(status) + "): " + Output();
        return;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        Unmount();
        reason_ = "slowfs did not mount " + mountPoint_ + " in time: " + Output();
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    mounted_ = true;
  }

  ~SlowFsMount() {
    Unmount();
    if (output_ >= 0)
      close(output_);
  }
  SlowFsMount(const SlowFsMount&) = delete;
  SlowFsMount& operator=(const SlowFsMount&) = delete;

  bool isMounted() const { return mounted_; }
  // Why the mount could not be made; empty once mounted.
  const std::string& reason() const { return reason_; }
  const std::string& mountPoint() const { return mountPoint_; }

  // Detaches the mount at once, even with a read stalled, then ends slowfs,
  // which also ends a stalled read; kills it when it does not end. Safe to
  // call more than once.
  void Unmount() {
    if (pid_ < 0)
      return;
    // Also a mount whose slowfs died: it answers no stat, but still needs undoing.
    if (mounted_ || IsMountPoint(mountPoint_)) {
      const pid_t helper =
          Start({FindProgram("fusermount3"), "-u", "-z", "-q", mountPoint_}, output_, false);
      if (helper > 0)
        waitpid(helper, nullptr, 0);
    }
    kill(pid_, SIGTERM);
    if (!EndsWithin(std::chrono::seconds(3))) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    mounted_ = false;
  }

 private:
  // Whether a folder is the root of a mount: it lies on another device than
  // its parent.
  static bool IsMountPoint(const std::string& folder) {
    struct stat self {};
    struct stat parent {};
    return stat(folder.c_str(), &self) == 0 && stat((folder + "/..").c_str(), &parent) == 0 &&
           self.st_dev != parent.st_dev;
  }

  static std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    folders += ":/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
      std::size_t end = folders.find(':', start);
      if (end == std::string::npos)
        end = folders.size();
      const std::string candidate = folders.substr(start, end - start) + "/" + name;
      if (end > start && access(candidate.c_str(), X_OK) == 0)
        return candidate;
      start = end + 1;
    }
    return {};
  }

  // Starts a program by its path, its output going to `output` when that is
  // open. Only async-signal-safe calls happen between fork and exec: the
  // caller may have threads.
  static pid_t Start(const std::vector<std::string>& arguments, int output, bool endWithParent) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child != 0)
      return child;
    if (endWithParent) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent)
        _exit(127);
    }
    if (output >= 0) {
      dup2(output, STDOUT_FILENO);
      dup2(output, STDERR_FILENO);
    }
    // Keep no descriptor of the test open, such as a pipe someone waits on.
    close_range(3, ~0U, 0);
    execv(argv[0], argv.data());
    _exit(127);
  }

  bool EndsWithin(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
  }

  // What slowfs said, on one line.
  std::string Output() const {
    std::string text(4096, '\0');
    const ssize_t size = output_ >= 0 ? pread(output_, text.data(), text.size(), 0) : -1;
    text.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    for (char& c : text) c = c == '\n' ? ' ' : c;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text.empty() ? "it said nothing" : text;
  }

  static std::string Describe(int status) {
    if (WIFEXITED(status))
      return "exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
      return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
  }

  std::string mountPoint_;
  std::string reason_;
  int output_ = -1;
  pid_t pid_ = -1;
  bool mounted_ = false;
};

}  // namespace vistarel::test
