#include "worker/LinuxFileSystem.h"

#include "base/PathHelpers.h"
#include "desktop/FactsFile.h"
#include "worker/TextFileStream.h"
#include "system/DirectoryListing.h"
#include "system/FileAttributes.h"
#include "system/FileFacts.h"
#include "system/FileStatus.h"

namespace vistarel {

namespace {

class LinuxFolder final : public IFolder {
 public:
  LinuxFolder(QString path, const FileStamp& stamp) : path_(std::move(path)), stamp_(stamp) {}

  bool IsRootFolder() override { return WithoutTrailingSeparators(path_) == kPathSeparator; }
  int Attributes() override { return AttributesOf(path_); }
  QStringList SubFolders() override { return ListSubFolders(path_); }
  FileStamp Identity() override { return stamp_; }

 private:
  QString path_;
  FileStamp stamp_;
};

}  // namespace

std::unique_ptr<IFolder> LinuxFileSystem::GetFolder(const QString& path) {
  return std::make_unique<LinuxFolder>(path, LookUpFolder(path));
}

std::unique_ptr<IFile> LinuxFileSystem::GetFile(const QString& path, const FileFacts& facts) {
  return MakeFactsFile(path, facts);
}

std::unique_ptr<IFile> LinuxFileSystem::GetFile(const QString& path) {
  return MakeFactsFile(path, GatherFileFacts(path));
}

QString LinuxFileSystem::GetExtensionName(const QString& path) {
  return ExtensionOf(path);
}

std::vector<ListedFile> LinuxFileSystem::ListFiles(const QString& folder, const QString& pattern,
                                                   int mask) {
  return ListDirectoryWithAttributes(folder, pattern, mask);
}

int LinuxFileSystem::GetAttributes(const QString& path) {
  return AttributesOf(path);
}

std::unique_ptr<ITextStream> LinuxFileSystem::CreateTextFile(const QString& path, bool overwrite,
                                                             IEventPump&) {
  return OpenTextFileStream(path, overwrite);
}

std::unique_ptr<ITextStream> LinuxFileSystem::CreateTextFile(const QString& path, bool overwrite) {
  return OpenTextFileStream(path, overwrite);
}

}  // namespace vistarel
