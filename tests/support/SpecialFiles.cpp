#include "support/SpecialFiles.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "system/FileNames.h"

namespace vistarel::test {

bool WriteFileBytes(const QString& path, const QByteArray& content) {
  const int fd =
      open(EncodeFileName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  const bool written = write(fd, content.constData(), size_t(content.size())) == content.size();
  return close(fd) == 0 && written;
}

bool CopyFileTo(const QString& source, const QString& path) {
  QFile file(source);
  return file.open(QIODevice::ReadOnly) && WriteFileBytes(path, file.readAll());
}

bool MakeFifo(const QString& path) {
  return mkfifo(EncodeFileName(path).constData(), 0644) == 0;
}

bool ReturnsWithoutBlocking(const QString& fifo, const std::function<void()>& work) {
  auto done = std::async(std::launch::async, work);
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
    done.get();
    return true;
  }
  const int writer = open(EncodeFileName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  done.wait();
  if (writer >= 0)
    close(writer);
  return false;
}

bool ReturnsWithoutBlockingHere(const QString& fifo, const std::function<void()>& work) {
  std::promise<void> finished;
  std::atomic<bool> freed = false;
  auto watchdog = std::async(std::launch::async, [&, done = finished.get_future()] {
    if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
      return;
    freed = true;
    // Opening and closing at once wakes a reader stuck in its open; it then
    // reads the end of the file.
    const int writer = open(EncodeFileName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer >= 0)
      close(writer);
  });
  {
    struct Finish {
      std::promise<void>& promise;
      ~Finish() { promise.set_value(); }
    } finish{finished};
    work();
  }
  watchdog.wait();
  return !freed;
}

}  // namespace vistarel::test
