#include "worker/Requests.h"

#include <QElapsedTimer>

#include <map>

#include <sys/stat.h>

#include "base/PathHelpers.h"
#include "extract/ExtractionRun.h"
#include "system/CallProgress.h"
#include "system/DirectoryListing.h"
#include "system/FileNames.h"
#include "helpers/Framing.h"
#include "system/Pipes.h"

namespace vistarel {

using namespace worker_message;

namespace {

QString JoinPath(const QString& folder, const QString& name) {
  return folder.endsWith(kPathSeparator) ? folder + name : folder + kPathSeparator + name;
}

// Runs a call of the walk and keeps its failure for the answer.
template <class Call>
std::optional<Failure> Guarded(Call&& call) {
  try {
    call();
    return std::nullopt;
  } catch (const Failure& failure) {
    return failure;
  }
}

// Where the word that a system call returned goes, and when it last went.
int progressOutput = -1;
QElapsedTimer sinceLastWord;

// Once a second is enough for a program that waits 30 seconds; more would cost
// a write per stat on a fast disk.
void SayProgress() {
  if (progressOutput < 0 || sinceLastWord.elapsed() < 1000)
    return;
  WriteAll(progressOutput, Progress());
  sinceLastWord.start();
}

}  // namespace

void RequestServer::Serve(const Request& request, const Send& send) {
  if (request.kind == Kind::Parse) {
    Parse(request, send);
    return;
  }
  if (request.kind == Kind::GetAttributesOfMany) {
    for (const QString& path : request.paths) {
      AttributeValue value;
      value.failure = Guarded([&] { value.value = fileSystem_.GetAttributes(path); });
      send(Encode(Answer{Kind::Attributes, request.id, value}));
    }
    return;
  }
  static const std::map<Kind, Kind> answers = {{Kind::LookUpFolder, Kind::Folder},
                                               {Kind::ListSubFolders, Kind::SubFolders},
                                               {Kind::ListFiles, Kind::Files},
                                               {Kind::GetAttributes, Kind::Attributes}};
  send(Encode(Answer{answers.at(request.kind), request.id, Walk(request)}));
}

void RequestServer::Parse(const Request& request, const Send& send) {
  const QString& path = request.path;
  const PathStatus looked = LookUpPath(EncodeFileName(path));
  RunFacts facts;
  facts.file = FileFactsFrom(path, looked);
  // The shell folder the run opens for this file, found by the run's own text
  // rules; the file's look-up serves for its own entry.
  const QString folder = TrimBlanks(FolderOf(path));
  const bool ownFolder = folder == FolderOf(path);
  facts.folder = folders_.Gather(folder, NameWithoutExtension(FileNameOf(path)),
                                 ownFolder ? FileNameOf(path) : QString(),
                                 ownFolder ? &looked : nullptr);
  send(Encode(Answer{Kind::Facts, request.id, facts}));

  const MediaAnswers answers = ReadMediaAnswers(library_, path, queries_);
  send(Encode(Answer{Kind::Media, request.id, answers}));

  // Entries of the same display name are read for the shell's media columns:
  // regular files only, and the file just parsed not again.
  QList<SiblingValues> siblings;
  if (!answers.noHandle) {
    for (const EntryFacts& entry : facts.folder.entries) {
      if (!entry.found || !S_ISREG(entry.status.mode) || !entry.stamp ||
          (answers.identity && *entry.stamp == *answers.identity)) {
        continue;
      }
      siblings.append(
          {entry.item, ParseShellMediaValues(library_, JoinPath(facts.folder.folder, entry.name))});
    }
  }
  send(Encode(Answer{Kind::Siblings, request.id, siblings}));
}

Payload RequestServer::Walk(const Request& request) {
  switch (request.kind) {
    case Kind::LookUpFolder: {
      FolderLookup lookup;
      lookup.failure = Guarded([&] {
        const std::unique_ptr<IFolder> folder = fileSystem_.GetFolder(request.path);
        lookup.stamp = folder->Identity();
        lookup.attributesFailure = Guarded([&] { lookup.attributes = folder->Attributes(); });
      });
      return lookup;
    }
    case Kind::ListSubFolders: {
      Names names;
      names.failure = Guarded([&] { names.names = ListSubFolders(request.path); });
      return names;
    }
    case Kind::ListFiles: {
      // Names only: their attributes are asked for one by one, so that a file
      // whose look-up never returns costs that file, not its folder.
      FileList list;
      list.failure = Guarded([&] {
        for (const QString& name : ListDirectory(request.path, request.pattern, request.mask))
          list.files.append(ListedFile{name, 0, std::nullopt});
      });
      return list;
    }
    default: {
      AttributeValue value;
      value.failure = Guarded([&] { value.value = fileSystem_.GetAttributes(request.path); });
      return value;
    }
  }
}

int ServeRequests(int input, int output, IMediaLibrary& library, const QList<MediaQuery>& queries) {
  if (!WriteAll(output, Hello()))
    return 1;
  progressOutput = output;
  sinceLastWord.start();
  SetCallReturnedHook(SayProgress);

  RequestServer server(library, queries);
  bool sent = true;
  const RequestServer::Send send = [&](const QByteArray& message) {
    sent = sent && WriteAll(output, message);
    sinceLastWord.start();
  };
  FrameReader reader;
  QByteArray chunk(64 * 1024, Qt::Uninitialized);
  for (;;) {
    while (const std::optional<QByteArray> body = reader.Next()) {
      const std::optional<Request> request = DecodeRequest(*body);
      if (!request)
        return 2;  // not a program of this build
      server.Serve(*request, send);
      if (!sent)
        return 1;
    }
    const qsizetype count = ReadSome(input, chunk.data(), chunk.size());
    if (count <= 0)
      return 0;  // the program has ended the run
    reader.Append(chunk.constData(), count);
  }
}

}  // namespace vistarel
