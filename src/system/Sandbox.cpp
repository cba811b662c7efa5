#include "system/Sandbox.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "system/FileDescriptor.h"
#include "system/FileNames.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Landlock's values past those Debian 12's headers know (ABI 2).
constexpr std::uint64_t kFsTruncate = std::uint64_t(1) << 14;  // ABI 3
constexpr std::uint64_t kFsIoctlDev = std::uint64_t(1) << 15;  // ABI 5
constexpr std::uint64_t kNetBindTcp = std::uint64_t(1) << 0;   // ABI 4
constexpr std::uint64_t kNetConnectTcp = std::uint64_t(1) << 1;
constexpr std::uint64_t kScopeAbstractUnixSocket = std::uint64_t(1) << 0;  // ABI 6
constexpr std::uint64_t kScopeSignal = std::uint64_t(1) << 1;

// The kernel's landlock_ruleset_attr as of ABI 6; older kernels are given the
// part they know.
struct RulesetAttr {
  std::uint64_t handledFs = 0;
  std::uint64_t handledNet = 0;
  std::uint64_t scoped = 0;
};

QString SystemText(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

std::uint64_t FsRightsOf(int abi) {
  std::uint64_t rights = (std::uint64_t(1) << 13) - 1;  // ABI 1: execute to make-symlink
  if (abi >= 2)
    rights |= LANDLOCK_ACCESS_FS_REFER;
  if (abi >= 3)
    rights |= kFsTruncate;
  if (abi >= 5)
    rights |= kFsIoctlDev;
  return rights;
}

bool AllowBeneath(int ruleset, const QString& folder, std::uint64_t rights) {
  const FileDescriptor parent(open(EncodeFileName(folder).constData(), O_PATH | O_CLOEXEC));
  if (!parent.IsOpen())
    return false;
  landlock_path_beneath_attr rule{};
  rule.allowed_access = rights;
  rule.parent_fd = parent.get();
  return syscall(__NR_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) == 0;
}

// Restricts this process with Landlock; returns the ABI, 0 with `why` when it
// could not.
int RestrictWithLandlock(SandboxRole role, const QString& writeFolder, QString& why) {
  const long abi =
      syscall(__NR_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  if (abi <= 0) {
    why = u"the kernel has no Landlock ("_s + SystemText(errno) + u')';
    return 0;
  }
  RulesetAttr attr;
  attr.handledFs = FsRightsOf(int(abi));
  size_t size = sizeof attr.handledFs;
  if (abi >= 4) {
    attr.handledNet = kNetBindTcp | kNetConnectTcp;
    size += sizeof attr.handledNet;
  }
  if (abi >= 6) {
    attr.scoped = kScopeAbstractUnixSocket | kScopeSignal;
    size += sizeof attr.scoped;
  }
  const FileDescriptor ruleset(int(syscall(__NR_landlock_create_ruleset, &attr, size, 0)));
  if (!ruleset.IsOpen()) {
    why = u"Landlock refused the rules ("_s + SystemText(errno) + u')';
    return 0;
  }
  constexpr std::uint64_t kRead = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
  bool ruled = AllowBeneath(ruleset.get(), u"/"_s, kRead);
  if (role == SandboxRole::Writer) {
    const std::uint64_t write = kRead | LANDLOCK_ACCESS_FS_WRITE_FILE |
                                LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_REMOVE_FILE |
                                (abi >= 3 ? kFsTruncate : 0);
    ruled = ruled && AllowBeneath(ruleset.get(), writeFolder, write);
  }
  if (!ruled || prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
      syscall(__NR_landlock_restrict_self, ruleset.get(), 0) != 0) {
    why = u"Landlock could not be set up ("_s + SystemText(errno) + u')';
    return 0;
  }
  return int(abi);
}

// A libseccomp filter, freed as it goes.
class Filter {
 public:
  explicit Filter(std::uint32_t defaultAction) : context_(seccomp_init(defaultAction)) {}
  ~Filter() { seccomp_release(context_); }
  Filter(const Filter&) = delete;
  Filter& operator=(const Filter&) = delete;

  template <class... Conditions>
  void Add(std::uint32_t action, int call, Conditions... conditions) {
    if (context_ == nullptr || call < 0)
      return;
    if (seccomp_rule_add(context_, action, call, sizeof...(conditions), conditions...) != 0)
      failed_ = true;
  }
  // Installs it; the system's error number, or 0.
  int Load() {
    if (context_ == nullptr || failed_)
      return EINVAL;
    return -seccomp_load(context_);
  }

 private:
  scmp_filter_ctx context_;
  bool failed_ = false;
};

// What a helper needs, whatever it is for: reading files and folders,
// memory, threads, time, signals to itself, and its pipes.
const std::vector<int>& NeededCalls() {
  static const std::vector<int> calls = {
      SCMP_SYS(read), SCMP_SYS(readv), SCMP_SYS(pread64), SCMP_SYS(preadv), SCMP_SYS(write),
      SCMP_SYS(writev), SCMP_SYS(lseek), SCMP_SYS(close), SCMP_SYS(close_range),
      SCMP_SYS(dup), SCMP_SYS(dup2), SCMP_SYS(dup3), SCMP_SYS(fcntl), SCMP_SYS(fstat),
      SCMP_SYS(stat), SCMP_SYS(lstat), SCMP_SYS(newfstatat), SCMP_SYS(statx),
      SCMP_SYS(fstatfs), SCMP_SYS(statfs), SCMP_SYS(getdents64), SCMP_SYS(open),
      SCMP_SYS(openat), SCMP_SYS(readlink), SCMP_SYS(readlinkat), SCMP_SYS(getxattr),
      SCMP_SYS(lgetxattr), SCMP_SYS(fgetxattr), SCMP_SYS(listxattr), SCMP_SYS(llistxattr),
      SCMP_SYS(flistxattr), SCMP_SYS(access), SCMP_SYS(faccessat), SCMP_SYS(faccessat2),
      SCMP_SYS(getcwd), SCMP_SYS(fsync), SCMP_SYS(fdatasync), SCMP_SYS(mmap),
      SCMP_SYS(munmap), SCMP_SYS(mprotect), SCMP_SYS(mremap), SCMP_SYS(madvise),
      SCMP_SYS(brk), SCMP_SYS(rt_sigaction), SCMP_SYS(rt_sigprocmask),
      SCMP_SYS(rt_sigreturn), SCMP_SYS(sigaltstack), SCMP_SYS(futex),
      SCMP_SYS(set_robust_list), SCMP_SYS(get_robust_list), SCMP_SYS(rseq),
      SCMP_SYS(set_tid_address), SCMP_SYS(exit), SCMP_SYS(exit_group), SCMP_SYS(gettid),
      SCMP_SYS(getpid), SCMP_SYS(getppid), SCMP_SYS(getuid), SCMP_SYS(geteuid),
      SCMP_SYS(getgid), SCMP_SYS(getegid), SCMP_SYS(getgroups), SCMP_SYS(getresuid),
      SCMP_SYS(getresgid), SCMP_SYS(uname), SCMP_SYS(sysinfo), SCMP_SYS(getrlimit),
      SCMP_SYS(sched_getaffinity), SCMP_SYS(sched_yield), SCMP_SYS(nanosleep),
      SCMP_SYS(clock_nanosleep), SCMP_SYS(clock_gettime), SCMP_SYS(clock_getres),
      SCMP_SYS(gettimeofday), SCMP_SYS(time), SCMP_SYS(getrandom), SCMP_SYS(poll),
      SCMP_SYS(ppoll), SCMP_SYS(pipe), SCMP_SYS(pipe2), SCMP_SYS(eventfd2), SCMP_SYS(prctl),
      SCMP_SYS(arch_prctl), SCMP_SYS(membarrier), SCMP_SYS(getrusage), SCMP_SYS(times),
      SCMP_SYS(ioctl), SCMP_SYS(pause), SCMP_SYS(rt_sigsuspend), SCMP_SYS(rt_sigtimedwait),
      SCMP_SYS(restart_syscall),
  };
  return calls;
}

// What fails with an error: to the library, as for a file it may not change.
// A writer may still make, write and put in place its file (Landlock keeps it
// to its folder).
std::vector<int> RefusedCalls(SandboxRole role) {
  std::vector<int> calls = {
      SCMP_SYS(creat),        SCMP_SYS(link),           SCMP_SYS(symlink),
      SCMP_SYS(symlinkat),    SCMP_SYS(mkdir),          SCMP_SYS(mkdirat),
      SCMP_SYS(mknod),        SCMP_SYS(mknodat),
      SCMP_SYS(chown),        SCMP_SYS(fchown),         SCMP_SYS(lchown),
      SCMP_SYS(fchownat),     SCMP_SYS(utime),          SCMP_SYS(utimes),
      SCMP_SYS(utimensat),    SCMP_SYS(futimesat),      SCMP_SYS(setxattr),
      SCMP_SYS(lsetxattr),    SCMP_SYS(fsetxattr),      SCMP_SYS(removexattr),
      SCMP_SYS(lremovexattr), SCMP_SYS(fremovexattr),   SCMP_SYS(fallocate),
      SCMP_SYS(truncate),     SCMP_SYS(socket),         SCMP_SYS(socketpair),
      SCMP_SYS(connect),      SCMP_SYS(bind),           SCMP_SYS(listen),
      SCMP_SYS(accept),       SCMP_SYS(accept4),        SCMP_SYS(sendto),
      SCMP_SYS(sendmsg),      SCMP_SYS(sendmmsg),
  };
  if (role == SandboxRole::Reader) {
    calls.insert(calls.end(),
                 {SCMP_SYS(linkat), SCMP_SYS(unlink), SCMP_SYS(unlinkat), SCMP_SYS(rename),
                  SCMP_SYS(renameat), SCMP_SYS(renameat2), SCMP_SYS(ftruncate), SCMP_SYS(chmod),
                  SCMP_SYS(fchmod), SCMP_SYS(fchmodat)});
  }
  return calls;
}

// The writer's own calls, which a reader gets refused. On a disk that can
// hold a file without a name, the save writes one and links it into place.
const std::vector<int>& WriterCalls() {
  static const std::vector<int> calls = {
      SCMP_SYS(linkat),   SCMP_SYS(unlink),    SCMP_SYS(unlinkat), SCMP_SYS(rename),
      SCMP_SYS(renameat), SCMP_SYS(renameat2), SCMP_SYS(ftruncate), SCMP_SYS(chmod),
      SCMP_SYS(fchmod),   SCMP_SYS(fchmodat),
  };
  return calls;
}

// Two filters, the stricter answer winning: one lets through only what is
// listed (anything else ends the process), the other answers the refused
// calls with an error.
int InstallFilters(SandboxRole role) {
  const auto self = scmp_datum_t(getpid());
  const std::uint32_t refuse = SCMP_ACT_ERRNO(EACCES);

  Filter allowed(SCMP_ACT_KILL_PROCESS);
  for (const int call : NeededCalls()) allowed.Add(SCMP_ACT_ALLOW, call);
  for (const int call : RefusedCalls(role)) allowed.Add(SCMP_ACT_ALLOW, call);
  if (role == SandboxRole::Writer) {
    for (const int call : WriterCalls()) allowed.Add(SCMP_ACT_ALLOW, call);
  }
  // Threads, not processes; signals and limits of this process only.
  allowed.Add(SCMP_ACT_ALLOW, SCMP_SYS(clone),
              SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD));
  allowed.Add(SCMP_ACT_ALLOW, SCMP_SYS(clone3));
  allowed.Add(SCMP_ACT_ALLOW, SCMP_SYS(kill), SCMP_A0(SCMP_CMP_EQ, self));
  allowed.Add(SCMP_ACT_ALLOW, SCMP_SYS(tgkill), SCMP_A0(SCMP_CMP_EQ, self));
  allowed.Add(SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), SCMP_A0(SCMP_CMP_EQ, 0));
  allowed.Add(SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), SCMP_A0(SCMP_CMP_EQ, self));

  Filter refused(SCMP_ACT_ALLOW);
  for (const int call : RefusedCalls(role)) refused.Add(refuse, call);
  // clone3's flags lie behind a pointer a filter cannot read: the C library
  // then makes its threads with clone, whose flags it can.
  refused.Add(SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3));
  // A terminal question is the only device control a helper asks.
  refused.Add(SCMP_ACT_ERRNO(ENOTTY), SCMP_SYS(ioctl), SCMP_A1(SCMP_CMP_NE, TCGETS));
  if (role == SandboxRole::Reader) {
    // Opening for writing, creating or truncating.
    for (const int call : {SCMP_SYS(open), SCMP_SYS(openat)}) {
      const unsigned flags = call == SCMP_SYS(open) ? 1 : 2;
      const auto masked = [&](scmp_datum_t mask, scmp_datum_t value) {
        return scmp_arg_cmp{flags, SCMP_CMP_MASKED_EQ, mask, value};
      };
      refused.Add(refuse, call, masked(O_ACCMODE, O_WRONLY));
      refused.Add(refuse, call, masked(O_ACCMODE, O_RDWR));
      refused.Add(refuse, call, masked(O_CREAT, O_CREAT));
      refused.Add(refuse, call, masked(O_TRUNC, O_TRUNC));
      refused.Add(refuse, call, masked(__O_TMPFILE, __O_TMPFILE));
    }
  }
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
    return errno;
  if (const int error = refused.Load(); error != 0)
    return error;
  return allowed.Load();
}

}  // namespace

Sandbox ShutIn(SandboxRole role, const QString& writeFolder) {
  Sandbox sandbox;
#if !defined(__SANITIZE_ADDRESS__)
  // Sanitized builds map terabytes of shadow memory: no cap there.
  const rlimit cap{kHelperMemoryCap, kHelperMemoryCap};
  if (setrlimit(RLIMIT_AS, &cap) == 0)
    sandbox.memoryCap = kHelperMemoryCap;
#endif
  sandbox.landlockAbi = RestrictWithLandlock(role, writeFolder, sandbox.whyNoLandlock);
  const int error = InstallFilters(role);
  sandbox.filtered = error == 0;
  if (!sandbox.filtered)
    sandbox.whyNotFiltered = u"the system-call filter could not be installed: "_s + SystemText(error);
  return sandbox;
}

}  // namespace vistarel
