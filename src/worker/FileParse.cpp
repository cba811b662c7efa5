#include "worker/FileParse.h"

#include <sys/stat.h>

#include "base/PathHelpers.h"
#include "system/FileNames.h"
#include "system/Sandbox.h"
#include "worker/ShellMediaValues.h"

namespace vistarel {

using namespace Qt::StringLiterals;

FileParser::FileParser(IMediaLibrary& library, QList<MediaQuery> queries)
    : library_(library), queries_(std::move(queries)) {}

FileParser::LookedUp FileParser::LookUp(const QString& path, const Doing& doing) {
  doing(What::LookUp, path);
  LookedUp file;
  file.path = path;
  file.looked = LookUpPath(EncodeFileName(path));
  file.facts = FileFactsFrom(path, file.looked);
  return file;
}

MediaAnswers FileParser::Read(const LookedUp& file, const Doing& doing) {
  MediaAnswers answers;
  if (refusal_) {
    answers.stopped = Failure(refusal_->description() + u": "_s + file.path, refusal_->number());
    return answers;
  }
  doing(What::Reading, file.path);
  try {
    return ReadMediaAnswers(library_, file.path, file.looked, queries_);
  } catch (const std::bad_alloc&) {
    outOfMemory_ = true;
    answers.stopped = Failure(
        u"Out of memory: %1 needed more memory than a media reader may use (%2 MB); its media "
        u"values are left empty."_s.arg(file.path)
            .arg(kHelperMemoryCap >> 20),
        failure_number::kOutOfMemory);
    return answers;
  }
}

FolderFacts FileParser::Folder(const LookedUp& file, const Doing& doing) {
  // The shell folder the run opens for this file, found by the run's own text
  // rules; the file's look-up serves for its own entry.
  const QString& path = file.path;
  const QString folder = TrimBlanks(FolderOf(path));
  const FolderFactsGatherer::KnownEntry own{FileNameOf(path), file.looked, file.facts.mimeType};
  const bool ownFolder = folder == FolderOf(path);
  return folders_.Gather(
      folder, NameWithoutExtension(FileNameOf(path)), ownFolder ? &own : nullptr,
      [&](FolderFactsGatherer::Step step, const QString& where) {
        doing(step == FolderFactsGatherer::Step::Listing ? What::Listing : What::LookUp, where);
      });
}

QList<SiblingValues> FileParser::Siblings(const FolderFacts& folder, const MediaAnswers& media,
                                          const Doing& doing) {
  QList<SiblingValues> siblings;
  if (media.noHandle || refusal_ || outOfMemory_)
    return siblings;
  for (const EntryFacts& entry : folder.entries) {
    if (!entry.found || !S_ISREG(entry.status.mode) || !entry.stamp ||
        (media.identity && *entry.stamp == *media.identity)) {
      continue;
    }
    const QString path = JoinPath(folder.folder, entry.name);
    doing(What::Reading, path);
    siblings.append({entry.item, ParseShellMediaValues(library_, path)});
  }
  return siblings;
}

FileAnswer FileParser::Parse(const QString& path) {
  const Doing nothing = [](What, const QString&) {};
  const LookedUp file = LookUp(path, nothing);
  FileAnswer answer;
  answer.file = file.facts;
  answer.media = Read(file, nothing);
  answer.folder = Folder(file, nothing);
  answer.siblings = Siblings(answer.folder, answer.media, nothing);
  return answer;
}

}  // namespace vistarel
