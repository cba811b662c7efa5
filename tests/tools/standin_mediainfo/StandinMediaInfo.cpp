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
#include <type_traits>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The library's C interface; its enumerations are plain ints there.
extern "C" {
using NewCall = void* (*)();
using OpenCall = std::size_t (*)(void*, const wchar_t*);
using GetCall = const wchar_t* (*)(void*, int, std::size_t, const wchar_t*, int, int);
using HandleCall = void (*)(void*);
using BufferInitCall = std::size_t (*)(void*, std::uint64_t, std::uint64_t);
using BufferContinueCall = std::size_t (*)(void*, std::uint8_t*, std::size_t);
using BufferGoToGetCall = std::uint64_t (*)(void*);
using BufferFinalizeCall = std::size_t (*)(void*);
}

struct RealLibrary {
  NewCall New = nullptr;
  OpenCall Open = nullptr;
  GetCall Get = nullptr;
  HandleCall Close = nullptr;
  HandleCall Delete = nullptr;
  BufferInitCall BufferInit = nullptr;
  BufferContinueCall BufferContinue = nullptr;
  BufferGoToGetCall BufferGoToGet = nullptr;
  BufferFinalizeCall BufferFinalize = nullptr;

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
  bool complete = true;
  const auto resolve = [&](auto& entry, const char* name) {
    void* address = dlsym(module, name);
    complete = complete && address != nullptr;
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(address);
  };
  resolve(real.New, "MediaInfo_New");
  resolve(real.Open, "MediaInfo_Open");
  resolve(real.Get, "MediaInfo_Get");
  resolve(real.Close, "MediaInfo_Close");
  resolve(real.Delete, "MediaInfo_Delete");
  resolve(real.BufferInit, "MediaInfo_Open_Buffer_Init");
  resolve(real.BufferContinue, "MediaInfo_Open_Buffer_Continue");
  resolve(real.BufferGoToGet, "MediaInfo_Open_Buffer_Continue_GoTo_Get");
  resolve(real.BufferFinalize, "MediaInfo_Open_Buffer_Finalize");
  return complete ? real : RealLibrary{};
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
