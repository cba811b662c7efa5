#include "support/SharedMediaParse.h"

#include "base/Failure.h"
#include "system/FileStatus.h"
#include "worker/MediaInfoDLL.h"
#include "system/FileNames.h"

namespace vistarel {

std::optional<ShellMediaValues> SharedMediaParse::Recall(const FileStamp& identity) const {
  if (last_ && last_->identity == identity)
    return last_->values;
  return std::nullopt;
}

std::size_t SharedMediaParse::Open(Handle handle, const wchar_t* path) {
  // Taken before the parse: a file that changes under it is not the file parsed.
  const std::optional<FileStamp> identity = StampOf(EncodeFileName(CopyLibraryString(path)));
  const std::size_t opened = library_.Open(handle, path);
  if (identity)
    opened_[handle] = *identity;
  else
    opened_.erase(handle);
  return opened;
}

void SharedMediaParse::Close(Handle handle) {
  const auto file = opened_.find(handle);
  if (file != opened_.end()) {
    const FileStamp identity = file->second;
    opened_.erase(file);
    last_.reset();
    try {
      last_ = Parsed{identity, ReadShellMediaValues(library_, handle)};
    } catch (const Failure&) {
      // The close below reports the library's failure.
    }
  }
  library_.Close(handle);
}

void SharedMediaParse::Delete(Handle handle) {
  opened_.erase(handle);
  library_.Delete(handle);
}

}  // namespace vistarel
