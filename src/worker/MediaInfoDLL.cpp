#include "worker/MediaInfoDLL.h"

#include <QList>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "system/CharacterType.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"
#include "system/RegularFile.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// The values of the library's enumerations that every query passes.
constexpr std::size_t kFirstStream = 0;
constexpr int kInfoText = 1;
constexpr int kSearchByName = 0;

// The size of one read when the binding hands the library a file's bytes.
// Small on purpose: given a whole small file in one piece, the library skips
// parts of its analysis or repeats them after a seek, and its answers differ
// from those it gives when it reads the file itself.
constexpr std::size_t kChunkSize = 4 * 1024;
// A bound on the library's seek requests, so that a file that keeps sending it
// back cannot hold the window.
constexpr int kMaxSeeks = 4096;

std::wstring ToLibraryString(QStringView text) {
  std::wstring wide;
  wide.reserve(std::size_t(text.size()));
  for (const char32_t code : text.toUcs4()) wide.push_back(wchar_t(code));
  return wide;
}

void RequireHandle(IMediaLibrary& library, MediaInfoHandle handle) {
  if (handle != nullptr)
    return;
  // An unusable library fails every call with its own reason.
  library.Load();
  throw Failure(u"No MediaInfo handle was created for this file"_s);
}

bool IsAscii(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() >= 0x80)
      return false;
  }
  return true;
}

// The library turns a wide path into bytes through the process's character
// type; only what that turns back into the file's own bytes may go by name.
bool LibraryCanOpenByName(const QString& path) {
  if (HasUndecodableBytes(path))
    return false;
  return IsAscii(path) || CharacterTypeIsUtf8();
}

// Hands the library the bytes of a file that cannot be named to it, with a
// plain read loop that follows the library's seek requests.
bool OpenByContent(IMediaLibrary& library, MediaInfoHandle handle, const QByteArray& bytes) {
  std::optional<RegularFile> file = RegularFile::Open(bytes);
  if (!file)
    return false;
  const std::uint64_t fileSize = file->Size();

  library.OpenBufferInit(handle, fileSize, 0);
  std::vector<std::uint8_t> buffer(kChunkSize);
  int seeks = 0;
  for (;;) {
    const std::int64_t count = file->Read(buffer.data(), buffer.size());
    if (count < 0)
      break;
    const std::size_t status =
        library.OpenBufferContinue(handle, buffer.data(), std::size_t(count));
    // A seek request comes first: the library may ask to read a part again
    // even when it says it has read enough.
    const std::uint64_t offset = library.OpenBufferContinueGoToGet(handle);
    if (offset != IMediaLibrary::kNoSeek) {
      if (offset > fileSize || ++seeks > kMaxSeeks || !file->Seek(offset))
        break;
      library.OpenBufferInit(handle, fileSize, offset);
      continue;
    }
    if ((status & IMediaLibrary::kBufferFinalized) != 0 || count == 0)
      break;
  }
  return library.OpenBufferFinalize(handle) != 0;
}

}  // namespace

MediaInfoHandle MediaInfo_New(IMediaLibrary& library) {
  const MediaInfoHandle handle = library.New();
  if (handle == nullptr)
    throw Failure(u"The MediaInfo library could not create a handle"_s);
  return handle;
}

bool MediaInfo_Open(IMediaLibrary& library, MediaInfoHandle handle, const QString& path) {
  RequireHandle(library, handle);
  return MediaInfo_Open(library, handle, path,
                        IsRegularFile(EncodeFileName(path)) ? unsigned(S_IFREG) : 0u);
}

bool MediaInfo_Open(IMediaLibrary& library, MediaInfoHandle handle, const QString& path,
                    unsigned mode) {
  RequireHandle(library, handle);
  if (!S_ISREG(mode))
    return false;
  const QByteArray bytes = EncodeFileName(path);
  if (!LibraryCanOpenByName(path))
    return OpenByContent(library, handle, bytes);
  return library.Open(handle, ToLibraryString(path).c_str()) != 0;
}

QString MediaInfoQuery(IMediaLibrary& library, MediaInfoHandle handle, StreamKind kind,
                       QStringView parameter) {
  RequireHandle(library, handle);
  return CopyLibraryString(library.Get(handle, int(kind), kFirstStream,
                                       ToLibraryString(parameter).c_str(), kInfoText,
                                       kSearchByName));
}

void MediaInfo_Close(IMediaLibrary& library, MediaInfoHandle handle) {
  RequireHandle(library, handle);
  library.Close(handle);
}

void MediaInfo_Delete(IMediaLibrary& library, MediaInfoHandle handle) {
  RequireHandle(library, handle);
  library.Delete(handle);
}

QString CopyLibraryString(const wchar_t* text) {
  if (text == nullptr)
    return {};
  QString copy;
  copy.reserve(qsizetype(std::wcslen(text)));
  for (const wchar_t* at = text; *at != L'\0'; ++at) {
    const auto code = char32_t(*at);
    if (code <= 0xFFFF) {
      // Units of a surrogate pair that the library kept as two pass one by one.
      copy.append(QChar(char16_t(code)));
    } else if (code <= 0x10FFFF) {
      copy.append(QChar::highSurrogate(code));
      copy.append(QChar::lowSurrogate(code));
    } else {
      copy.append(QChar::ReplacementCharacter);
    }
  }
  return copy;
}

}  // namespace vistarel
