#include "desktop/HelperFileSystem.h"

#include "base/PathHelpers.h"
#include "desktop/FactsFile.h"
#include "desktop/HelperTextStream.h"
#include "platform/EventPump.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace helper_message;

namespace {

// Outside a walk nothing shows, and a close cannot come.
NoEventPump& WindowlessPump() {
  static NoEventPump pump;
  return pump;
}

template <class T>
const T& PayloadOf(const Payload& payload) {
  if (const T* value = std::get_if<T>(&payload))
    return *value;
  throw Failure(u"The file-system helper gave an answer of another kind"_s);
}

class HelperFolder final : public IFolder {
 public:
  HelperFolder(QString path, FolderLookup lookup, FolderWalker& walker, IEventPump& pump)
      : path_(std::move(path)), lookup_(std::move(lookup)), walker_(walker), pump_(pump) {}

  bool IsRootFolder() override { return WithoutTrailingSeparators(path_) == kPathSeparator; }
  int Attributes() override {
    if (lookup_.attributesFailure)
      throw *lookup_.attributesFailure;
    return lookup_.attributes;
  }
  QStringList SubFolders() override {
    const Names names = PayloadOf<Names>(walker_.Ask(Kind::ListSubFolders, path_, pump_));
    if (names.failure)
      throw *names.failure;
    return names.names;
  }
  FileStamp Identity() override { return lookup_.stamp; }

 private:
  QString path_;
  FolderLookup lookup_;
  FolderWalker& walker_;
  IEventPump& pump_;
};

}  // namespace

HelperFileSystem::HelperFileSystem(HelperCommand command, std::chrono::milliseconds stallLimit)
    : command_(command), stallLimit_(stallLimit), walker_(std::move(command), stallLimit) {}

IEventPump& HelperFileSystem::Pump() {
  return pumps_.empty() ? WindowlessPump() : *pumps_.back();
}

void HelperFileSystem::BeginWalk(IEventPump& pump) {
  pumps_.push_back(&pump);
  walker_.BeginWalk();
}

void HelperFileSystem::EndWalk() noexcept {
  if (!pumps_.empty())
    pumps_.pop_back();
  walker_.EndWalk();
}

std::unique_ptr<IFolder> HelperFileSystem::GetFolder(const QString& path) {
  IEventPump& pump = Pump();
  FolderLookup lookup = PayloadOf<FolderLookup>(walker_.Ask(Kind::LookUpFolder, path, pump));
  if (lookup.failure)
    throw *lookup.failure;
  return std::make_unique<HelperFolder>(path, std::move(lookup), walker_, pump);
}

std::unique_ptr<IFile> HelperFileSystem::GetFile(const QString& path, const FileFacts& facts) {
  return MakeFactsFile(path, facts);
}

QString HelperFileSystem::GetExtensionName(const QString& path) {
  return ExtensionOf(path);
}

std::vector<ListedFile> HelperFileSystem::ListFiles(const QString& folder, const QString& pattern,
                                                    int mask) {
  IEventPump& pump = Pump();
  const FileList list =
      PayloadOf<FileList>(walker_.Ask(Kind::ListFiles, folder, pump, pattern, mask));
  if (list.failure)
    throw *list.failure;
  // The attributes of the names listed, asked for apart from the listing.
  QStringList paths;
  for (const ListedFile& file : list.files) paths.append(JoinPath(folder, file.name));
  const std::vector<AttributeValue> values = walker_.AskAttributes(paths, pump);
  std::vector<ListedFile> files;
  files.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i)
    files.push_back({list.files[qsizetype(i)].name, values[i].value, values[i].failure});
  return files;
}

int HelperFileSystem::GetAttributes(const QString& path) {
  const AttributeValue value =
      PayloadOf<AttributeValue>(walker_.Ask(Kind::GetAttributes, path, Pump()));
  if (value.failure)
    throw *value.failure;
  return value.value;
}

std::unique_ptr<ITextStream> HelperFileSystem::CreateTextFile(const QString& path,
                                                              bool overwrite, IEventPump& pump) {
  return OpenHelperTextStream(command_, path, overwrite, pump, stallLimit_);
}

}  // namespace vistarel
