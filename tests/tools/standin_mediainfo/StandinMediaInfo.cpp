// A stand-in for the MediaInfo library. It forwards every call to the real
// library, except that opening a file whose name contains "crash" crashes the
// process with a segmentation fault, and opening one whose name contains
// "loop" never returns. Tests load it in place of the real library to see a
// reader that crashes or hangs on one file.
//
// On a file whose name holds "attack-", it first does what a parser taken
// over by a hostile file would try, then goes on as the real library:
//   attack-files    makes, overwrites, truncates, renames, deletes, links,
//                   chmods and sets extended attributes of files in the file's
//                   folder (victim.txt, and new ones);
//   attack-net-P    connects over TCP and sends over UDP to 127.0.0.1:P, and
//                   connects to the unix socket listener.sock in the file's
//                   folder and to the abstract socket "vistarel-attack-P";
//   attack-exec     starts /bin/touch on executed.txt in the file's folder, by
//                   fork and exec, and by exec in place;
//   attack-kill     sends SIGKILL to the process that started it;
//   attack-memory   takes 6 GB, touching every page;
//   attack-flood    writes a frame header that claims 2 GB, and junk after
//                   it, on every descriptor it holds.
//
// The real library is the one found when building (VISTAREL_REAL_MEDIAINFO);
// the environment variable VISTAREL_STANDIN_REAL_MEDIAINFO names another one,
// or, set empty, none. Without a real library every query answers empty text.

#include <dlfcn.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "worker/MediaInfoEntries.h"

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct RealLibrary : vistarel::MediaInfoEntries {
  bool loaded() const { return New != nullptr; }
};

RealLibrary Load() {
  const char* path = std::getenv("VISTAREL_STANDIN_REAL_MEDIAINFO");
  if (path == nullptr)
    path = VISTAREL_REAL_MEDIAINFO;
  if (*path == '\0')
    return {};
  // Kept loaded for the life of the process, as the program keeps the real one.
  void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr)
    return {};
  RealLibrary real;
  return real.Resolve(module) == nullptr ? real : RealLibrary{};
}

const RealLibrary& Real() {
  static const RealLibrary real = Load();
  return real;
}

// What New hands out when there is no real library: any non-null address.
char placeholderHandle;

// The markers are looked for in the file name only, not in its folders.
bool NameContains(const wchar_t* path, const wchar_t* marker) {
  const wchar_t* slash = std::wcsrchr(path, L'/');
  return std::wcsstr(slash != nullptr ? slash + 1 : path, marker) != nullptr;
}

// A real fault, as from a bug in the library, not abort(): the process gets
// SIGSEGV from the kernel. The pointer is volatile so the compiler cannot see
// that it is null and put a trap instruction in its place. In a process under
// AddressSanitizer its handler reports the fault and exits with code 1,
// unless ASAN_OPTIONS holds handle_segv=0.
[[noreturn]] void Crash() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
  std::abort();
}

// Hangs without reading or spinning, as a reader stuck in a parse.
[[noreturn]] void Hang() {
  for (;;) pause();
}

// The path's bytes (the tests' paths are ASCII) and its folder, ending in '/'.
std::string Narrow(const wchar_t* path) {
  std::string narrow;
  for (; *path != L'\0'; ++path) narrow.push_back(char(*path));
  return narrow;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.rfind('/') + 1);
}

void AttackFiles(const std::string& folder) {
  const std::string victim = folder + "victim.txt";
  const int made = open((folder + "made.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (made >= 0) {
    const ssize_t written = write(made, "pwned", 5);
    static_cast<void>(written);
    close(made);
  }
  const int overwritten = open(victim.c_str(), O_RDWR);
  if (overwritten >= 0) {
    const ssize_t written = write(overwritten, "pwned", 5);
    static_cast<void>(written);
    close(overwritten);
  }
  const int readOnly = open(victim.c_str(), O_RDONLY);
  if (readOnly >= 0) {
    // What a read-only descriptor still lets its owner do.
    const int changed = fchmod(readOnly, 0777) + ftruncate(readOnly, 0) +
                        fsetxattr(readOnly, "user.attack", "1", 1, 0);
    static_cast<void>(changed);
    close(readOnly);
  }
  const int results = truncate(victim.c_str(), 0) + chmod(victim.c_str(), 0777) +
                      setxattr(victim.c_str(), "user.attack", "1", 1, 0) +
                      link(victim.c_str(), (folder + "linked.txt").c_str()) +
                      symlink(victim.c_str(), (folder + "symlinked.txt").c_str()) +
                      mkdir((folder + "made-folder").c_str(), 0755) +
                      rename(victim.c_str(), (folder + "renamed.txt").c_str()) +
                      unlink(victim.c_str());
  static_cast<void>(results);
}

void AttackNetwork(const std::string& folder, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(std::uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int tcp = socket(AF_INET, SOCK_STREAM, 0);
  if (tcp >= 0) {
    if (connect(tcp, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      const ssize_t sent = send(tcp, "pwned", 5, 0);
      static_cast<void>(sent);
    }
    close(tcp);
  }
  const int udp = socket(AF_INET, SOCK_DGRAM, 0);
  if (udp >= 0) {
    const ssize_t sent =
        sendto(udp, "pwned", 5, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    static_cast<void>(sent);
    close(udp);
  }
  const auto unixConnect = [](const sockaddr_un& where, socklen_t size) {
    const int local = socket(AF_UNIX, SOCK_STREAM, 0);
    if (local < 0)
      return;
    if (connect(local, reinterpret_cast<const sockaddr*>(&where), size) == 0) {
      const ssize_t sent = write(local, "pwned", 5);
      static_cast<void>(sent);
    }
    close(local);
  };
  sockaddr_un named{};
  named.sun_family = AF_UNIX;
  std::strncpy(named.sun_path, (folder + "listener.sock").c_str(), sizeof named.sun_path - 1);
  unixConnect(named, sizeof named);
  sockaddr_un abstract{};
  abstract.sun_family = AF_UNIX;
  const std::string name = "vistarel-attack-" + std::to_string(port);
  std::memcpy(abstract.sun_path + 1, name.data(), name.size());
  unixConnect(abstract, socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size()));
}

void AttackExec(const std::string& folder) {
  const std::string target = folder + "executed.txt";
  char* const argv[] = {const_cast<char*>("/bin/touch"), const_cast<char*>(target.c_str()),
                        nullptr};
  const pid_t child = fork();
  if (child == 0) {
    execv("/bin/touch", argv);
    _exit(1);
  }
  execv("/bin/touch", argv);
}

void AttackMemory() {
  std::vector<std::unique_ptr<char[]>> taken;
  constexpr std::size_t kChunk = std::size_t(64) << 20;
  for (int i = 0; i < 96; ++i) {  // 6 GB
    taken.emplace_back(new char[kChunk]);
    std::memset(taken.back().get(), 1, kChunk);
  }
}

void AttackFlood() {
  std::string junk(1 << 20, 'x');
  junk.replace(0, 4, "\x7f\xff\xff\xff");
  for (int fd = 0; fd < 1024; ++fd) {
    fcntl(fd, F_SETFL, O_NONBLOCK);
    const ssize_t written = write(fd, junk.data(), junk.size());
    static_cast<void>(written);
  }
}

void Attack(const wchar_t* path) {
  const std::string narrow = Narrow(path);
  const std::string folder = FolderOf(narrow);
  const std::string name = narrow.substr(folder.size());
  if (name.find("attack-files") != std::string::npos)
    AttackFiles(folder);
  const std::size_t net = name.find("attack-net-");
  if (net != std::string::npos)
    AttackNetwork(folder, std::atoi(name.c_str() + net + 11));
  if (name.find("attack-exec") != std::string::npos)
    AttackExec(folder);
  if (name.find("attack-kill") != std::string::npos)
    kill(getppid(), SIGKILL);
  if (name.find("attack-memory") != std::string::npos)
    AttackMemory();
  if (name.find("attack-flood") != std::string::npos)
    AttackFlood();
}

}  // namespace

STANDIN_EXPORT void* MediaInfo_New() {
  return Real().loaded() ? Real().New() : &placeholderHandle;
}

STANDIN_EXPORT std::size_t MediaInfo_Open(void* handle, const wchar_t* path) {
  if (path != nullptr && NameContains(path, L"crash"))
    Crash();
  if (path != nullptr && NameContains(path, L"loop"))
    Hang();
  if (path != nullptr && NameContains(path, L"attack-"))
    Attack(path);
  return Real().loaded() ? Real().Open(handle, path) : 0;
}

STANDIN_EXPORT const wchar_t* MediaInfo_Get(void* handle, int streamKind, std::size_t streamNumber,
                                            const wchar_t* parameter, int infoKind,
                                            int searchKind) {
  if (!Real().loaded())
    return L"";
  return Real().Get(handle, streamKind, streamNumber, parameter, infoKind, searchKind);
}

STANDIN_EXPORT void MediaInfo_Close(void* handle) {
  if (Real().loaded())
    Real().Close(handle);
}

STANDIN_EXPORT void MediaInfo_Delete(void* handle) {
  if (Real().loaded())
    Real().Delete(handle);
}

STANDIN_EXPORT std::size_t MediaInfo_Open_Buffer_Init(void* handle, std::uint64_t fileSize,
                                                      std::uint64_t fileOffset) {
  return Real().loaded() ? Real().BufferInit(handle, fileSize, fileOffset) : 0;
}

STANDIN_EXPORT std::size_t MediaInfo_Open_Buffer_Continue(void* handle, std::uint8_t* buffer,
                                                          std::size_t size) {
  return Real().loaded() ? Real().BufferContinue(handle, buffer, size) : 0;
}

STANDIN_EXPORT std::uint64_t MediaInfo_Open_Buffer_Continue_GoTo_Get(void* handle) {
  // All ones: no seek wanted, as the real library answers.
  return Real().loaded() ? Real().BufferGoToGet(handle) : UINT64_MAX;
}

STANDIN_EXPORT std::size_t MediaInfo_Open_Buffer_Finalize(void* handle) {
  return Real().loaded() ? Real().BufferFinalize(handle) : 0;
}
