#include "worker/MediaInfoLibrary.h"

#include <dlfcn.h>

#include <memory>

#include "worker/MediaInfoEntries.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

QString LoaderReason() {
  const char* reason = dlerror();
  return reason != nullptr ? QString::fromLocal8Bit(reason) : u"unknown reason"_s;
}

}  // namespace

struct MediaInfoLibrary::Entries : MediaInfoEntries {};

MediaInfoLibrary::MediaInfoLibrary(QString fileName) : fileName_(std::move(fileName)) {}

MediaInfoLibrary::~MediaInfoLibrary() {
  delete entries_;
  if (module_ != nullptr)
    dlclose(module_);
}

void MediaInfoLibrary::Load() {
  Loaded();
}

const MediaInfoLibrary::Entries& MediaInfoLibrary::Loaded() {
  if (entries_ != nullptr)
    return *entries_;
  if (loadFailure_)
    throw *loadFailure_;

  const auto fail = [this](const QString& description, int number) {
    loadFailure_.emplace(description, number);
    if (module_ != nullptr) {
      dlclose(module_);
      module_ = nullptr;
    }
    throw *loadFailure_;
  };

  dlerror();
  module_ = dlopen(fileName_.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
  if (module_ == nullptr) {
    fail(u"The MediaInfo library %1 cannot be loaded: %2"_s.arg(fileName_, LoaderReason()),
         failure_number::kFileNotFound);
  }

  auto entries = std::make_unique<Entries>();
  if (const char* missing = entries->Resolve(module_); missing != nullptr) {
    fail(u"The MediaInfo library %1 has no entry point %2: %3"_s.arg(
             fileName_, QString::fromLatin1(missing), LoaderReason()),
         failure_number::kEntryPointMissing);
  }
  entries_ = entries.release();
  return *entries_;
}

IMediaLibrary::Handle MediaInfoLibrary::New() {
  return Loaded().New();
}

std::size_t MediaInfoLibrary::Open(Handle handle, const wchar_t* path) {
  return Loaded().Open(handle, path);
}

const wchar_t* MediaInfoLibrary::Get(Handle handle, int streamKind, std::size_t streamNumber,
                                     const wchar_t* parameter, int infoKind, int searchKind) {
  return Loaded().Get(handle, streamKind, streamNumber, parameter, infoKind, searchKind);
}

void MediaInfoLibrary::Close(Handle handle) {
  Loaded().Close(handle);
}

void MediaInfoLibrary::Delete(Handle handle) {
  Loaded().Delete(handle);
}

std::size_t MediaInfoLibrary::OpenBufferInit(Handle handle, std::uint64_t fileSize,
                                             std::uint64_t fileOffset) {
  return Loaded().BufferInit(handle, fileSize, fileOffset);
}

std::size_t MediaInfoLibrary::OpenBufferContinue(Handle handle, const std::uint8_t* bytes,
                                                 std::size_t size) {
  // The library only reads the buffer; its prototype lacks the const.
  return Loaded().BufferContinue(handle, const_cast<std::uint8_t*>(bytes), size);
}

std::uint64_t MediaInfoLibrary::OpenBufferContinueGoToGet(Handle handle) {
  return Loaded().BufferGoToGet(handle);
}

std::size_t MediaInfoLibrary::OpenBufferFinalize(Handle handle) {
  return Loaded().BufferFinalize(handle);
}

}  // namespace vistarel
