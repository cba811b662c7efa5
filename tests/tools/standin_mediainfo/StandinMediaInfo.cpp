// A stand-in for the MediaInfo library. It forwards every call to the real
// library, except that opening a file whose name contains "crash" crashes the
// process with a segmentation fault, and opening one whose name contains
// "loop" never returns. Tests load it in place of the real library to see a
// reader that crashes or hangs on one file.
//
// The real library is the one found when building (VISTAREL_REAL_MEDIAINFO);
// the environment variable VISTAREL_STANDIN_REAL_MEDIAINFO names another one,
// or, set empty, none. Without a real library every query answers empty text.

#include <dlfcn.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

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

}  // namespace

STANDIN_EXPORT void* MediaInfo_New() {
  return Real().loaded() ? Real().New() : &placeholderHandle;
}

STANDIN_EXPORT std::size_t MediaInfo_Open(void* handle, const wchar_t* path) {
  if (path != nullptr && NameContains(path, L"crash"))
    Crash();
  if (path != nullptr && NameContains(path, L"loop"))
    Hang();
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
