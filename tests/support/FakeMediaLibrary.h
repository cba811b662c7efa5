#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "worker/MediaInfoLibrary.h"

namespace vistarel::test {

// The real MediaInfo library behind a recorder: every call is logged with its
// handle, and New or the whole library can be made to fail.
class FakeMediaLibrary final : public IMediaLibrary {
 public:
  struct Call {
    QString name;  // "New", "Open", "Get <kind> <parameter>", "Close", ...
    Handle handle = nullptr;
  };

  FakeMediaLibrary();
  ~FakeMediaLibrary() override;

  // From now on every call fails as when the library file is missing.
  void MakeUnloadable();
  // Names of the calls made so far, in order.
  QStringList CallNames() const;

  bool failNew = false;
  std::vector<Call> calls;

  void Load() override;
  Handle New() override;
  std::size_t Open(Handle handle, const wchar_t* path) override;
  const wchar_t* Get(Handle handle, int streamKind, std::size_t streamNumber,
                     const wchar_t* parameter, int infoKind, int searchKind) override;
  void Close(Handle handle) override;
  void Delete(Handle handle) override;
  std::size_t OpenBufferInit(Handle handle, std::uint64_t fileSize,
                             std::uint64_t fileOffset) override;
  std::size_t OpenBufferContinue(Handle handle, const std::uint8_t* bytes,
                                 std::size_t size) override;
  std::uint64_t OpenBufferContinueGoToGet(Handle handle) override;
  std::size_t OpenBufferFinalize(Handle handle) override;

 private:
  void Record(QString name, Handle handle) { calls.push_back({std::move(name), handle}); }

  std::unique_ptr<MediaInfoLibrary> library_;
};

}  // namespace vistarel::test
