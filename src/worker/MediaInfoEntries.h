#pragma once

// The entry points of the MediaInfo library's C interface and their look-up in
// a loaded module. Plain C++, so that the library's stand-in in the tests
// reaches the real library the way the program does.

#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vistarel {

// As the library's headers publish them; the enumerations are plain ints
// there, and the buffer is not changed by the library.
extern "C" {
using MediaInfoNewCall = void* (*)();
using MediaInfoOpenCall = std::size_t (*)(void*, const wchar_t*);
using MediaInfoGetCall = const wchar_t* (*)(void*, int, std::size_t, const wchar_t*, int, int);
using MediaInfoHandleCall = void (*)(void*);
using MediaInfoBufferInitCall = std::size_t (*)(void*, std::uint64_t, std::uint64_t);
using MediaInfoBufferContinueCall = std::size_t (*)(void*, std::uint8_t*, std::size_t);
using MediaInfoBufferGoToGetCall = std::uint64_t (*)(void*);
using MediaInfoBufferFinalizeCall = std::size_t (*)(void*);
}

struct MediaInfoEntries {
  MediaInfoNewCall New = nullptr;
  MediaInfoOpenCall Open = nullptr;
  MediaInfoGetCall Get = nullptr;
  MediaInfoHandleCall Close = nullptr;
  MediaInfoHandleCall Delete = nullptr;
  MediaInfoBufferInitCall BufferInit = nullptr;
  MediaInfoBufferContinueCall BufferContinue = nullptr;
  MediaInfoBufferGoToGetCall BufferGoToGet = nullptr;
  MediaInfoBufferFinalizeCall BufferFinalize = nullptr;

  // Looks every entry up in the module. Answers the name of the first one it
  // lacks, with dlerror() still saying why, or nullptr when all were found.
  const char* Resolve(void* module) {
    const char* missing = nullptr;
    const auto resolve = [&](auto& entry, const char* name) {
      if (missing != nullptr)
        return;
      dlerror();
      void* address = dlsym(module, name);
      if (address == nullptr)
        missing = name;
      else
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(address);
    };
    resolve(New, "MediaInfo_New");
    resolve(Open, "MediaInfo_Open");
    resolve(Get, "MediaInfo_Get");
    resolve(Close, "MediaInfo_Close");
    resolve(Delete, "MediaInfo_Delete");
    resolve(BufferInit, "MediaInfo_Open_Buffer_Init");
    resolve(BufferContinue, "MediaInfo_Open_Buffer_Continue");
    resolve(BufferGoToGet, "MediaInfo_Open_Buffer_Continue_GoTo_Get");
    resolve(BufferFinalize, "MediaInfo_Open_Buffer_Finalize");
    return missing;
  }
};

}  // namespace vistarel
