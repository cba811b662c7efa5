#include "worker/TextFileStream.h"

#include <cerrno>

#include "base/Failure.h"
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

}  // namespace

SavedFile::SavedFile(const QString& path) : path_(path), file_(path) {
  // The file is written beside its name and renamed over it where the folder
  // allows; a file the user may write in a folder the user may not is
  // replaced in place instead, as the export replaces any file of its name.
  file_.setDirectWriteFallback(true);
}

std::unique_ptr<SavedFile> SavedFile::Create(const QString& path, bool overwrite) {
  // Qt names files in UTF-8 only, so it cannot write under a name that is not.
  if (HasUndecodableBytes(path)) {
    throw Failure(u"Bad file name or number: "_s + path, failure_number::kBadFileNameOrNumber);
  }
  if (!overwrite && EntryExists(EncodeFileName(path)))
    throw Failure(u"File already exists: "_s + path, failure_number::kFileAlreadyExists);
  std::unique_ptr<SavedFile> saved(new SavedFile(path));
  errno = 0;
  if (!saved->file_.open(QIODevice::WriteOnly)) {
    const int error = errno;
    if (error != 0)
      ThrowErrno(error, path, CreateFailureNumber(error));
    // Refused by Qt itself, such as a name that is a folder.
    throw Failure(saved->file_.errorString() + u": "_s + path, failure_number::kPathFileAccess);
  }
  return saved;
}

void SavedFile::Write(const QByteArray& bytes) {
  errno = 0;
  if (file_.write(bytes) != bytes.size())
    ThrowWriteFailure();
}

void SavedFile::Commit() {
  errno = 0;
  if (!file_.commit())
    ThrowWriteFailure();
}

// A write that fails is the device's failure (a full disk, a lost mount),
// unless the system refused it.
void SavedFile::ThrowWriteFailure() {
  const int error = errno;
  const int number = error == EACCES || error == EPERM ? failure_number::kPermissionDenied
                                                       : failure_number::kDeviceIo;
  if (error != 0)
    ThrowErrno(error, path_, number);
  throw Failure(file_.errorString() + u": "_s + path_, number);
}

namespace {

class SavedTextStream final : public ITextStream {
 public:
  SavedTextStream(QString path, std::unique_ptr<SavedFile> file)
      : path_(std::move(path)), file_(std::move(file)) {}

  void WriteLine(const QString& text) override {
    if (closed_)
      throw Failure(u"The text file is already closed: "_s + path_,
                    failure_number::kPathFileAccess);
    lines_.Append(text);
    if (lines_.IsFull())
      file_->Write(lines_.Take());
  }

  void Close() override {
    if (closed_)
      return;
    closed_ = true;
    file_->Write(lines_.Take());
    file_->Commit();
  }

 private:
  QString path_;
  std::unique_ptr<SavedFile> file_;
  TextLines lines_;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<ITextStream> OpenTextFileStream(const QString& path, bool overwrite) {
  return std::make_unique<SavedTextStream>(path, SavedFile::Create(path, overwrite));
}

}  // namespace vistarel
