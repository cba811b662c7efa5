// A helper for the tests of the helper client and the media pool. It speaks
// the helpers' messages and acts on the name of the path of each request:
//   "slow"         answers after 300 ms;
//   "slowread"     reads a byte every 100 ms, ten times, saying nothing, then
//                  answers (a read of a slow share that keeps reading);
//   "exit"         ends with status 3 after a file's facts; "segv" dies of a
//                  segmentation fault there;
//   "stall"        loops without an answer after the facts (a library that loops);
//   "deadstat"     never answers at all (a look-up that never returns); with
//                  --hold it first leaves a file named after the --hold file and
//                  its process id, to say it is stuck;
//   "deadlist"     never answers once it lists the file's folder;
//   "hold"         answers once the file given with --hold exists;
//   "wrongid"      answers another request's id;
//   "garbage"      answers with bytes that are no message.
// A Parse is answered with the file's facts (its size is the length of its
// path), its media values (the path and the helper's process id), its folder
// and no siblings; any other request with one Attributes answer, whose value
// is the helper's process id. With --stranger it says hello in a version no
// program speaks; with --die it dies before its hello.
#include <QFile>
#include <QString>

#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <unistd.h>

#include "base/PathHelpers.h"
#include "protocol/Framing.h"
#include "protocol/Messages.h"
#include "system/Pipes.h"
#include "system/Processes.h"

namespace {

using namespace vistarel;
using namespace vistarel::helper_message;
using namespace Qt::StringLiterals;

void Send(const QByteArray& message) {
  if (!WriteAll(kHelperAnswerFd, message))
    _exit(1);
}

[[noreturn]] void Forever() {
  for (;;) pause();
}

void Serve(const Request& request, const QString& hold) {
  const QString& path = request.path;
  const auto has = [&](const char* word) { return path.contains(QLatin1StringView(word)); };
  if (has("deadstat")) {
    Send(Doing(Activity::What::LookUp, path, MonotonicNs()));
    if (!hold.isEmpty()) {
      QFile stuck(hold + u'.' + QString::number(getpid()));
      stuck.open(QIODevice::WriteOnly);
    }
    Forever();
  }
  const quint64 id = has("wrongid") ? request.id + 1000 : request.id;
  if (has("garbage")) {
    Send(Framed("no message"));
    return;
  }
  if (has("slowread")) {
    QFile zero(u"/dev/zero"_s);
    zero.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    for (int i = 0; i < 10; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      char byte = 0;
      zero.read(&byte, 1);
    }
  } else if (has("slow")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  while (has("hold") && !QFile::exists(hold))
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (request.kind != Kind::Parse) {
    Send(Encode(Answer{Kind::Attributes, id, AttributeValue{std::nullopt, int(getpid())}}));
    return;
  }
  FileFacts facts;
  facts.status.size = path.size();
  Send(Encode(Answer{Kind::ParsedFile, id, facts}));
  if (request.withMedia) {
    Send(Doing(Activity::What::Reading, path, MonotonicNs()));
    if (has("exit"))
      _exit(3);
    if (has("segv")) {
      std::signal(SIGSEGV, SIG_DFL);  // past any sanitizer's handler
      std::raise(SIGSEGV);
    }
    if (has("stall")) {
      for (volatile bool looping = true; looping;) {
      }
    }
    MediaAnswers answers;
    answers.opened = true;
    answers.values = {path, QString::number(getpid())};
    Send(Encode(Answer{Kind::ParsedMedia, id, answers}));
  }
  if (!request.withFolder)
    return;
  const QString folder = WithoutTrailingSeparators(FolderOf(path));
  Send(Doing(Activity::What::Listing, folder, MonotonicNs()));
  if (has("deadlist"))
    Forever();
  FolderFacts folderFacts;
  folderFacts.folder = folder;
  Send(Encode(Answer{Kind::ParsedFolder, id, folderFacts}));
  Send(Encode(Answer{Kind::ParsedSiblings, id, QList<SiblingValues>()}));
}

}  // namespace

int main(int argc, char** argv) {
  QString hold;
  quint32 version = kVersion;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--stranger") == 0)
      version = 99;
    if (std::strcmp(argv[i], "--die") == 0)
      _exit(4);
    if (std::strcmp(argv[i], "--hold") == 0 && i + 1 < argc)
      hold = QString::fromLocal8Bit(argv[++i]);
  }
  Send(Hello(version));
  FrameReader reader;
  char chunk[4096];
  for (;;) {
    const qsizetype count = ReadSome(kHelperRequestFd, chunk, sizeof chunk);
    if (count <= 0)
      return 0;
    reader.Append(chunk, count);
    while (const std::optional<QByteArray> body = reader.Next()) {
      const std::optional<Request> request = DecodeRequest(*body);
      if (!request)
        return 2;
      Serve(*request, hold);
    }
  }
}
