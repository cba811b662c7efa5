#include "support/FakeMediaLibrary.h"

#include <QStringList>

#include "base/Failure.h"

namespace vistarel::test {

using namespace Qt::StringLiterals;

FakeMediaLibrary::FakeMediaLibrary() : library_(std::make_unique<MediaInfoLibrary>()) {}
FakeMediaLibrary::~FakeMediaLibrary() = default;

void FakeMediaLibrary::MakeUnloadable() {
  library_ = std::make_unique<MediaInfoLibrary>(u"libmediainfo-missing.so.0"_s);
}

QStringList FakeMediaLibrary::CallNames() const {
  QStringList names;
  for (const Call& call : calls) names.append(call.name);
  return names;
}

void FakeMediaLibrary::Load() {
  library_->Load();
}

IMediaLibrary::Handle FakeMediaLibrary::New() {
  Record(u"New"_s, nullptr);
  if (failNew)
    throw Failure(u"Out of memory"_s, 7);
  return library_->New();
}

std::size_t FakeMediaLibrary::Open(Handle handle, const wchar_t* path) {
  Record(u"Open"_s, handle);
  return library_->Open(handle, path);
}

const wchar_t* FakeMediaLibrary::Get(Handle handle, int streamKind, std::size_t streamNumber,
                                     const wchar_t* parameter, int infoKind, int searchKind) {
  Record(u"Get %1 %2"_s.arg(streamKind).arg(QString::fromWCharArray(parameter)), handle);
  return library_->Get(handle, streamKind, streamNumber, parameter, infoKind, searchKind);
}

void FakeMediaLibrary::Close(Handle handle) {
  Record(u"Close"_s, handle);
  library_->Close(handle);
}

void FakeMediaLibrary::Delete(Handle handle) {
  Record(u"Delete"_s, handle);
  library_->Delete(handle);
}

std::size_t FakeMediaLibrary::OpenBufferInit(Handle handle, std::uint64_t fileSize,
                                             std::uint64_t fileOffset) {
  Record(u"Open_Buffer_Init"_s, handle);
  return library_->OpenBufferInit(handle, fileSize, fileOffset);
}

std::size_t FakeMediaLibrary::OpenBufferContinue(Handle handle, const std::uint8_t* bytes,
                                                 std::size_t size) {
  Record(u"Open_Buffer_Continue"_s, handle);
  return library_->OpenBufferContinue(handle, bytes, size);
}

std::uint64_t FakeMediaLibrary::OpenBufferContinueGoToGet(Handle handle) {
  Record(u"Open_Buffer_Continue_GoTo_Get"_s, handle);
  return library_->OpenBufferContinueGoToGet(handle);
}

std::size_t FakeMediaLibrary::OpenBufferFinalize(Handle handle) {
  Record(u"Open_Buffer_Finalize"_s, handle);
  return library_->OpenBufferFinalize(handle);
}

}  // namespace vistarel::test
