#pragma once

#include <QList>
#include <QString>

#include <functional>

#include "protocol/FileAnswer.h"
#include "protocol/Messages.h"
#include "system/FileFacts.h"
#include "system/FolderFacts.h"
#include "worker/MediaAnswers.h"
#include "worker/MediaLibrary.h"

namespace vistarel {

// The parse of a run's file, in the order that lets a stall cost only what
// stalled: the file's own look-up, then its media values, then its folder as
// the shell shows it for the file's display name, then the media values of
// its same-named siblings. The file's own cells never wait behind its folder
// or its siblings. Each phase's failures are answered, never thrown.
class FileParser {
 public:
  // Told what each phase starts on next: a look-up, a listing or a read of a path.
  using What = helper_message::Activity::What;
  using Doing = std::function<void(What what, const QString& path)>;

  struct LookedUp {
    QString path;
    PathStatus looked;  // the one look-up of the path, for all that needs it
    FileFacts facts;
  };

  explicit FileParser(IMediaLibrary& library, QList<MediaQuery> queries = MediaColumnQueries());

  LookedUp LookUp(const QString& path, const Doing& doing);
  MediaAnswers Read(const LookedUp& file, const Doing& doing);
  FolderFacts Folder(const LookedUp& file, const Doing& doing);
  // Regular files only, and the file parsed not again.
  QList<SiblingValues> Siblings(const FolderFacts& folder, const MediaAnswers& media,
                                const Doing& doing);

  // All four, for a reader in this very process.
  FileAnswer Parse(const QString& path);

  // From now on no file is parsed: each fails with `why`.
  void RefuseToParse(Failure why) { refusal_ = std::move(why); }
  // A parse ran out of the memory a helper may use.
  bool OutOfMemory() const { return outOfMemory_; }

 private:
  IMediaLibrary& library_;
  QList<MediaQuery> queries_;
  // Keeps the listings of the folders met last, so that a run over a large
  // folder lists it once.
  FolderFactsGatherer folders_;
  std::optional<Failure> refusal_;
  bool outOfMemory_ = false;
};

}  // namespace vistarel
