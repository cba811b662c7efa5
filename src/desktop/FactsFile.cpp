#include "desktop/FactsFile.h"

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "desktop/FileProperties.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

class FactsFile final : public IFile {
 public:
  FactsFile(QString path, FileFacts facts) : path_(std::move(path)), facts_(std::move(facts)) {}

  QString Property(const QString& name) override {
    const FileStatus& status = facts_.status;
    if (name == u"name"_s || name == u"ShortName"_s)
      return FileNameOf(path_);
    if (name == u"DateCreated"_s)
      return status.hasCreated ? FileDateText(status.createdMs) : QString();
    if (name == u"DateLastAccessed"_s)
      return FileDateText(status.accessedMs);
    if (name == u"DateLastModified"_s)
      return FileDateText(status.modifiedMs);
    if (name == u"Drive"_s)
      return facts_.drive;
    if (name == u"ParentFolder"_s)
      return WithoutTrailingSeparators(FolderOf(path_));
    if (name == u"Size"_s)
      return QString::number(status.size);
    if (name == u"path"_s || name == u"ShortPath"_s)
      return path_;
    if (name == u"Type"_s)
      return MimeTypeNamed(facts_.mimeType).comment();
    throw Failure(u"The file object has no property %1"_s.arg(name),
                  failure_number::kNoSuchProperty);
  }

 private:
  QString path_;  // absolute
  FileFacts facts_;
};

}  // namespace

std::unique_ptr<IFile> MakeFactsFile(const QString& path, const FileFacts& facts) {
  if (facts.failure)
    throw *facts.failure;
  // The kernel resolved the path as given; the properties show it absolute.
  return std::make_unique<FactsFile>(AbsolutePath(path), facts);
}

}  // namespace vistarel
