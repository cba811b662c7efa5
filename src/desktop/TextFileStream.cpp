#include "desktop/TextFileStream.h"

#include <QSaveFile>

#include <cerrno>

#include "base/Failure.h"
#include "system/CharacterType.h"
#include "system/EightBitEncoder.h"
#include "system/Errno.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// A failed create names a missing folder "path not found", as the export's
// users know it; everything else keeps its usual number.
int CreateFailureNumber(int error) {
  if (error == ENOENT || error == ENOTDIR)
    return failure_number::kPathNotFound;
  return FailureNumberForErrno(error);
}

class SavedTextStream final : public ITextStream {
 public:
  explicit SavedTextStream(const QString& path)
      : path_(path), file_(path), encoder_(UserCodeset()) {
    // The file is written beside its name and renamed over it where the folder
    // allows; a file the user may write in a folder the user may not is
    // replaced in place instead, as the export replaces any file of its name.
    file_.setDirectWriteFallback(true);
  }

  void Open() {
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly)) {
      const int error = errno;
      if (error != 0)
        ThrowErrno(error, path_, CreateFailureNumber(error));
      // Refused by Qt itself, such as a name that is a folder.
      throw Failure(file_.errorString() + u": "_s + path_, failure_number::kPathFileAccess);
    }
  }

  void WriteLine(const QString& text) override {
    if (closed_)
      throw Failure(u"The text file is already closed: "_s + path_,
                    failure_number::kPathFileAccess);
    pending_.append(encoder_.Encode(text));
    pending_.append("\r\n", 2);
    if (pending_.size() >= kWriteChunk)
      Flush();
  }

  void Close() override {
    if (closed_)
      return;
    closed_ = true;
    Flush();
    errno = 0;
    if (!file_.commit())
      ThrowWriteFailure();
  }

 private:
  // A write that fails is the device's failure (a full disk, a lost mount),
  // unless the system refused it.
  [[noreturn]] void ThrowWriteFailure() {
    const int error = errno;
    const int number = error == EACCES || error == EPERM ? failure_number::kPermissionDenied
                                                         : failure_number::kDeviceIo;
    if (error != 0)
      ThrowErrno(error, path_, number);
    throw Failure(file_.errorString() + u": "_s + path_, number);
  }

  // Lines are gathered and written in large pieces: one system call per line
  // would cost more than building the line.
  static constexpr qsizetype kWriteChunk = 1 << 20;

  void Flush() {
    if (pending_.isEmpty())
      return;
    errno = 0;
    if (file_.write(pending_) != pending_.size())
      ThrowWriteFailure();
    pending_.resize(0);
  }

  QString path_;
  QSaveFile file_;
  EightBitEncoder encoder_;
  QByteArray pending_;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<ITextStream> OpenTextFileStream(const QString& path, bool overwrite) {
  // Qt names files in UTF-8 only, so it cannot write under a name that is not.
  if (HasUndecodableBytes(path)) {
    throw Failure(u"Bad file name or number: "_s + path, failure_number::kBadFileNameOrNumber);
  }
  if (!overwrite && EntryExists(EncodeFileName(path)))
    throw Failure(u"File already exists: "_s + path, failure_number::kFileAlreadyExists);
  auto stream = std::make_unique<SavedTextStream>(path);
  stream->Open();
  return stream;
}

}  // namespace vistarel
