#include "desktop/HelperFileSystem.h"

#include "base/PathHelpers.h"
#include "desktop/FactsFile.h"
#include "desktop/FactsShellFolder.h"
#include "desktop/LinuxFileSystem.h"
#include "desktop/TextFileStream.h"
#include "media/RunFacts.h"
#include "platform/EventPump.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace worker_message;

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
  HelperFolder(QString path, FolderLookup lookup, FolderHelper& helper, IEventPump& pump)
      : path_(std::move(path)), lookup_(std::move(lookup)), helper_(helper), pump_(pump) {}

  bool IsRootFolder() override { return WithoutTrailingSeparators(path_) == kPathSeparator; }
  int Attributes() override {
    if (lookup_.attributesFailure)
      throw *lookup_.attributesFailure;
    return lookup_.attributes;
  }
  QStringList SubFolders() override {
    const Names names = PayloadOf<Names>(helper_.Ask(Kind::ListSubFolders, path_, pump_));
    if (names.failure)
      throw *names.failure;
    return names.names;
  }
  FileStamp Identity() override { return lookup_.stamp; }

 private:
  QString path_;
  FolderLookup lookup_;
  FolderHelper& helper_;
  IEventPump& pump_;
};

}  // namespace

HelperFileSystem::HelperFileSystem(HelperCommand command, const IRunFacts& run,
                                   std::chrono::milliseconds stallLimit)
    : helper_(std::move(command), stallLimit), run_(run) {}

IEventPump& HelperFileSystem::Pump() {
  return pumps_.empty() ? WindowlessPump() : *pumps_.back();
}

void HelperFileSystem::BeginWalk(IEventPump& pump) {
  pumps_.push_back(&pump);
  helper_.BeginWalk();
}

void HelperFileSystem::EndWalk() noexcept {
  if (!pumps_.empty())
    pumps_.pop_back();
  helper_.EndWalk();
}

std::unique_ptr<IFolder> HelperFileSystem::GetFolder(const QString& path) {
  IEventPump& pump = Pump();
  FolderLookup lookup = PayloadOf<FolderLookup>(helper_.Ask(Kind::LookUpFolder, path, pump));
  if (lookup.failure)
    throw *lookup.failure;
  return std::make_unique<HelperFolder>(path, std::move(lookup), helper_, pump);
}

std::unique_ptr<IFile> HelperFileSystem::GetFile(const QString& path) {
  const RunFacts* facts = run_.FactsOf(path);
  if (facts == nullptr) {
    throw Failure(u"No media worker looked at the file: "_s + path,
                  failure_number::kFileNotFound);
  }
  return MakeFactsFile(path, facts->file);
}

QString HelperFileSystem::GetExtensionName(const QString& path) {
  return ExtensionOf(path);
}

std::vector<ListedFile> HelperFileSystem::ListFiles(const QString& folder, const QString& pattern,
                                                    int mask) {
  IEventPump& pump = Pump();
  const FileList list = PayloadOf<FileList>(helper_.Ask(Kind::ListFiles, folder, pump, pattern, mask));
  if (list.failure)
    throw *list.failure;
  // The attributes of the names listed, asked for apart from the listing.
  const QString prefix = folder.endsWith(kPathSeparator) ? folder : folder + kPathSeparator;
  QStringList paths;
  for (const ListedFile& file : list.files) paths.append(prefix + file.name);
  const std::vector<AttributeValue> values = helper_.AskAttributes(paths, pump);
  std::vector<ListedFile> files;
  files.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i)
    files.push_back({list.files[qsizetype(i)].name, values[i].value, values[i].failure});
  return files;
}

int HelperFileSystem::GetAttributes(const QString& path) {
  const AttributeValue value =
      PayloadOf<AttributeValue>(helper_.Ask(Kind::GetAttributes, path, Pump()));
  if (value.failure)
    throw *value.failure;
  return value.value;
}

std::unique_ptr<ITextStream> HelperFileSystem::CreateTextFile(const QString& path,
                                                              bool overwrite) {
  return OpenTextFileStream(path, overwrite);
}

std::unique_ptr<IShellFolder> RunShell::Namespace(const QString& path) {
  // The run asks for the folder of the file it has just read; when the
  // worker could not look at it, the look-up fails as the worker's did.
  const QString folder = WithoutTrailingSeparators(path);
  const RunFacts* current = run_.CurrentFacts();
  if (current != nullptr && (current->folder.failure || current->folder.folder == folder)) {
    return MakeFactsShellFolder(current->folder, [this](const EntryFacts& entry) {
      return run_.MediaValuesOf(entry);
    });
  }
  throw Failure(u"No media worker looked at the folder: "_s + folder,
                failure_number::kPathNotFound);
}

}  // namespace vistarel
