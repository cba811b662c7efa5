// A media worker for the pool's tests. It speaks the workers' messages and
// acts on the name of each file: "slow" answers after 300 ms, "exit" ends with
// status 3, "segv" dies of a segmentation fault, "stall" never answers. Each
// answer's values are the path and the worker's process id. With the argument
// --stranger it says hello in a version no program speaks.
#include <QString>

#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <unistd.h>

#include "media/MediaAnswers.h"

namespace {

void WriteAll(const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t written =
        write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
    if (written <= 0)
      _exit(1);
    done += written;
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vistarel;
  if (argc > 1 && std::strcmp(argv[1], "--stranger") == 0) {
    QByteArray hello = media_message::Hello();
    hello[hello.size() - 1] = char(99);
    WriteAll(hello);
  } else {
    WriteAll(media_message::Hello());
  }
  media_message::Reader reader;
  char chunk[4096];
  for (;;) {
    const ssize_t count = read(STDIN_FILENO, chunk, sizeof chunk);
    if (count <= 0)
      return 0;
    reader.Append(QByteArray(chunk, count));
    while (const std::optional<QByteArray> body = reader.Next()) {
      const auto request = media_message::ParseRequest(*body);
      if (!request)
        return 2;
      const QString& path = request->path;
      if (path.contains(QStringLiteral("slow")))
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
      if (path.contains(QStringLiteral("exit")))
        _exit(3);
      if (path.contains(QStringLiteral("segv"))) {
        std::signal(SIGSEGV, SIG_DFL);  // past any sanitizer's handler
        std::raise(SIGSEGV);
      }
      if (path.contains(QStringLiteral("stall"))) {
        for (;;) pause();
      }
      MediaAnswers answers;
      answers.opened = true;
      answers.values = {path, QString::number(getpid())};
      WriteAll(media_message::Answer(request->id, answers));
    }
  }
}
