#include "system/Pipes.h"

#include <cerrno>
#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace vistarel {

bool WriteAll(int fd, const QByteArray& bytes) {
  const char* at = bytes.constData();
  auto left = size_t(bytes.size());
  while (left > 0) {
    const ssize_t written = write(fd, at, left);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    at += written;
    left -= size_t(written);
  }
  return true;
}

qsizetype ReadSome(int fd, char* buffer, qsizetype size) {
  for (;;) {
    const ssize_t count = read(fd, buffer, size_t(size));
    if (count < 0 && errno == EINTR)
      continue;
    return qsizetype(count);
  }
}

void CloseDescriptorsFrom(int first) {
  close_range(unsigned(first), ~0U, 0);
}

void EndWithParent() {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace vistarel
