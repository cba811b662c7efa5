#include "worker/Requests.h"

#include <QElapsedTimer>

#include <map>

#include "protocol/Framing.h"
#include "system/CallProgress.h"
#include "system/DirectoryListing.h"
#include "system/Pipes.h"
#include "system/Processes.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace helper_message;

namespace {

// Runs a call and keeps its failure for the answer.
template <class Call>
std::optional<Failure> Guarded(Call&& call) {
  try {
    call();
    return std::nullopt;
  } catch (const Failure& failure) {
    return failure;
  }
}

// Says on the helper's output, now and then, that a system call returned.
// Once a second is enough for a program that waits 30 seconds; more would
// cost a write per stat on a fast disk.
class ProgressWords final : public CallWatch {
 public:
  explicit ProgressWords(int output) : output_(output) { sinceLastWord_.start(); }

  void Returned() override {
    if (sinceLastWord_.elapsed() < 1000)
      return;
    WriteAll(output_, Progress());
    sinceLastWord_.start();
  }
  // Anything else said is progress too.
  void Said() { sinceLastWord_.start(); }

 private:
  int output_;
  QElapsedTimer sinceLastWord_;
};

}  // namespace

RequestServer::RequestServer(IMediaLibrary& library, Send send, const Sandbox& sandbox)
    : parser_(library), send_(std::move(send)) {
  if (!sandbox.filtered) {
    parser_.RefuseToParse(Failure(
        u"The media reader could not shut itself in (%1), so it reads no file"_s.arg(
            sandbox.whyNotFiltered),
        failure_number::kPermissionDenied));
  }
}

RequestServer::~RequestServer() = default;

void RequestServer::Say(Kind kind, quint64 id, Payload payload) {
  send_(Encode(Answer{kind, id, std::move(payload)}));
}

void RequestServer::Serve(const Request& request) {
  switch (request.kind) {
    case Kind::Parse:
      Parse(request);
      return;
    case Kind::CreateTextFile:
    case Kind::WriteText:
    case Kind::CloseTextFile:
      Write(request);
      return;
    default:
      Walk(request);
      return;
  }
}

void RequestServer::Parse(const Request& request) {
  const FileParser::Doing doing = [&](Activity::What what, const QString& path) {
    send_(Doing(what, path, MonotonicNs()));
  };
  const FileParser::LookedUp file = parser_.LookUp(request.path, doing);
  Say(Kind::ParsedFile, request.id, file.facts);
  // A file whose parse was lost before is not parsed again: its folder is.
  MediaAnswers media;
  if (request.withMedia) {
    media = parser_.Read(file, doing);
    Say(Kind::ParsedMedia, request.id, media);
  } else if (file.looked.target) {
    media.identity = file.looked.target->stamp;
  }
  // A folder whose listing stalled before is not listed again.
  if (!request.withFolder)
    return;
  const FolderFacts folder = parser_.Folder(file, doing);
  Say(Kind::ParsedFolder, request.id, folder);
  Say(Kind::ParsedSiblings, request.id, parser_.Siblings(folder, media, doing));
}

void RequestServer::Walk(const Request& request) {
  switch (request.kind) {
    case Kind::LookUpFolder: {
      FolderLookup lookup;
      lookup.failure = Guarded([&] {
        const std::unique_ptr<IFolder> folder = fileSystem_.GetFolder(request.path);
        lookup.stamp = folder->Identity();
        lookup.attributesFailure = Guarded([&] { lookup.attributes = folder->Attributes(); });
      });
      Say(Kind::FolderLookedUp, request.id, lookup);
      return;
    }
    case Kind::ListSubFolders: {
      Names names;
      names.failure = Guarded([&] { names.names = ListSubFolders(request.path); });
      Say(Kind::SubFolders, request.id, names);
      return;
    }
    case Kind::ListFiles: {
      // Names only: their attributes are asked for one by one, so that a file
      // whose look-up never returns costs that file, not its folder.
      FileList list;
      list.failure = Guarded([&] {
        for (const QString& name : ListDirectory(request.path, request.pattern, request.mask))
          list.files.append(ListedFile{name, 0, std::nullopt});
      });
      Say(Kind::Files, request.id, list);
      return;
    }
    case Kind::GetAttributesOfMany:
      for (const QString& path : request.paths) {
        AttributeValue value;
        value.failure = Guarded([&] { value.value = fileSystem_.GetAttributes(path); });
        Say(Kind::Attributes, request.id, value);
      }
      return;
    default: {
      AttributeValue value;
      value.failure = Guarded([&] { value.value = fileSystem_.GetAttributes(request.path); });
      Say(Kind::Attributes, request.id, value);
      return;
    }
  }
}

void RequestServer::Write(const Request& request) {
  WriteResult result;
  switch (request.kind) {
    case Kind::CreateTextFile:
      saving_.reset();
      savingPath_ = request.path;
      result.failure = Guarded([&] { saving_ = SavedFile::Create(request.path, request.overwrite); });
      break;
    case Kind::WriteText:
      result.failure = Guarded([&] {
        if (saving_ == nullptr)
          throw Failure(u"No text file is open"_s, failure_number::kBadFileNameOrNumber);
        saving_->Write(request.bytes);
      });
      break;
    default:
      result.failure = Guarded([&] {
        if (saving_ == nullptr)
          throw Failure(u"No text file is open"_s, failure_number::kBadFileNameOrNumber);
        saving_->Commit();
      });
      saving_.reset();
      break;
  }
  // A failed write leaves the earlier file as it was: nothing more is written.
  if (result.failure)
    saving_.reset();
  Say(Kind::Written, request.id, result);
}

int ServeRequests(int input, int output, IMediaLibrary& library, const Sandbox& sandbox) {
  if (!WriteAll(output, Hello()))
    return 1;
  ProgressWords progress(output);
  const ScopedCallWatch watching(progress);

  bool sent = true;
  RequestServer server(
      library,
      [&](const QByteArray& message) {
        sent = sent && WriteAll(output, message);
        progress.Said();
      },
      sandbox);
  FrameReader reader;
  QByteArray chunk(64 * 1024, Qt::Uninitialized);
  for (;;) {
    while (const std::optional<QByteArray> body = reader.Next()) {
      const std::optional<Request> request = DecodeRequest(*body);
      if (!request)
        return 2;  // not a program of this build
      server.Serve(*request);
      if (!sent)
        return 1;
      // A file that wanted more memory than the cap leaves the library in
      // a state no one knows: a new helper takes the rest, with a fresh one.
      if (server.OutOfMemory())
        return 0;
    }
    const qsizetype count = ReadSome(input, chunk.data(), chunk.size());
    if (count <= 0)
      return 0;  // the program has ended the run
    reader.Append(chunk.constData(), count);
  }
}

}  // namespace vistarel
