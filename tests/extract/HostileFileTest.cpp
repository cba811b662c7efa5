// A media file made to take the MediaInfo library over, played by the stand-in
// library, which does on marked files what such a file would make it do. The
// helper that reads it is shut in: each attack fails, the run ends with a row
// for every file, and the window lives on. The same holds on a kernel without
// Landlock, on the system-call filter alone; a helper that cannot install that
// filter reads no file at all.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "extract/RunFixture.h"
#include "support/Processes.h"
#include "system/FileDescriptor.h"
#include "system/Processes.h"

namespace vistarel::test {
namespace {

using namespace Qt::StringLiterals;

// Everything that can be told of a folder's entries from outside.
std::map<QString, QByteArray> Snapshot(const QString& folder) {
  std::map<QString, QByteArray> entries;
  for (const QString& name :
       QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
    const QByteArray path = QFile::encodeName(folder + u'/' + name);
    struct stat status {};
    lstat(path.constData(), &status);
    char attributes[1024] = {};
    const ssize_t listed = llistxattr(path.constData(), attributes, sizeof attributes);
    QFile file(folder + u'/' + name);
    QByteArray content;
    if (S_ISREG(status.st_mode) && file.open(QIODevice::ReadOnly))
      content = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
    entries[name] = QByteArray::number(status.st_mode) + ' ' + QByteArray::number(status.st_size) +
                    ' ' + QByteArray(attributes, int(std::max<ssize_t>(listed, 0))) + ' ' + content;
  }
  return entries;
}

// Listeners on every way out a taken-over reader would try: what they heard.
class Listeners {
 public:
  explicit Listeners(const QString& folder) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    tcp_ = Bound(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0), &address, sizeof address);
    listen(tcp_.get(), 4);
    socklen_t size = sizeof address;
    getsockname(tcp_.get(), reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    udp_ = Bound(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0), &address, sizeof address);
    sockaddr_un named{};
    named.sun_family = AF_UNIX;
    std::strncpy(named.sun_path, QFile::encodeName(folder + u"/listener.sock"_s).constData(),
                 sizeof named.sun_path - 1);
    named_ = Bound(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0), &named, sizeof named);
    listen(named_.get(), 4);
    sockaddr_un abstract{};
    abstract.sun_family = AF_UNIX;
    const std::string name = "vistarel-attack-" + std::to_string(port_);
    std::memcpy(abstract.sun_path + 1, name.data(), name.size());
    abstract_ = Bound(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0), &abstract,
                      socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size()));
    listen(abstract_.get(), 4);
  }
  int Port() const { return port_; }
  bool AllOpen() const {
    return tcp_.IsOpen() && udp_.IsOpen() && named_.IsOpen() && abstract_.IsOpen();
  }
  // Which of them heard anything.
  QStringList Heard() const {
    QStringList heard;
    char byte = 0;
    if (recv(udp_.get(), &byte, 1, MSG_DONTWAIT) >= 0)
      heard << u"UDP"_s;
    const std::pair<const char16_t*, const FileDescriptor*> streams[] = {
        {u"TCP", &tcp_}, {u"unix socket", &named_}, {u"abstract socket", &abstract_}};
    for (const auto& [name, listener] : streams) {
      const FileDescriptor accepted(accept(listener->get(), nullptr, nullptr));
      if (accepted.IsOpen())
        heard << QString::fromUtf16(name);
    }
    return heard;
  }

 private:
  template <class Address>
  static FileDescriptor Bound(int fd, Address* address, socklen_t size) {
    FileDescriptor socket(fd);
    if (bind(fd, reinterpret_cast<sockaddr*>(address), size) != 0)
      return FileDescriptor();
    return socket;
  }

  FileDescriptor tcp_;
  FileDescriptor udp_;
  FileDescriptor named_;
  FileDescriptor abstract_;
  int port_ = 0;
};

qint64 ResidentKb(qint64 pid) {
  QFile status(u"/proc/%1/status"_s.arg(pid));
  if (!status.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:"))
      return line.mid(6).trimmed().split(' ').front().toLongLong();
  }
  return 0;
}

HelperCommand StandIn(const QStringList& jail = {}) {
  const QString worker = QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker");
  const QString library = QStringLiteral(VISTAREL_STANDIN_MEDIAINFO);
  if (jail.isEmpty())
    return {worker, {library}};
  return {QStringLiteral(VISTAREL_HELPER_JAIL), jail + QStringList{worker, library}};
}

class HostileFiles : public RunFixture, public testing::WithParamInterface<const char*> {};

TEST_P(HostileFiles, EachAttackFailsTheRunEndsWithEveryRowAndTheWindowLives) {
  const QString folder = tree.Folder(u"media"_s);
  tree.File(u"media/victim.txt"_s, "untouched");
  Listeners listeners(folder);
  ASSERT_TRUE(listeners.AllOpen());
  const QString net = u"attack-net-%1.mp4"_s.arg(listeners.Port());
  struct Attack {
    QString name;
    QString report;  // the start of its file's one report; none when the library just went on
  };
  std::vector<Attack> attacks = {
      {u"attack-files.mp4"_s, {}},
      {net, {}},
      {u"attack-exec.mp4"_s, u"The MediaInfo library stopped (signal 31, Bad system call)"_s},
      {u"attack-kill.mp4"_s, u"The MediaInfo library stopped (signal 31, Bad system call)"_s},
      {u"attack-flood.mp4"_s, u"The MediaInfo library stopped (it answered what it was not asked)"_s},
  };
#if !defined(__SANITIZE_ADDRESS__)
  // Sanitized helpers have no memory cap.
  attacks.push_back({u"attack-memory.mp4"_s, u"Out of memory: "_s});
#endif
  const QStringList jail = QString::fromLatin1(GetParam()).split(u' ', Qt::SkipEmptyParts);
  MediaWorkers workers(StandIn(jail));
  UseWorkers(workers);
  Add(u"mp4-h264-aac.mp4"_s, u"media/a.mp4"_s);
  for (const Attack& attack : attacks) Add(u"mp4-h264-aac.mp4"_s, u"media/"_s + attack.name);
  Add(u"mp4-h264-aac.mp4"_s, u"media/z.mp4"_s);
  const auto before = Snapshot(folder);
  const qint64 windowBefore = ResidentKb(getpid());
  qint64 windowMost = windowBefore;
  qint64 helperMost = 0;
  QTimer sample;
  QObject::connect(&sample, &QTimer::timeout, form.get(), [&] {
    windowMost = std::max(windowMost, ResidentKb(getpid()));
    if (const MediaWorkerPool* pool = workers.Pool()) {
      for (const qint64 pid : pool->WorkerIds()) helperMost = std::max(helperMost, ResidentKb(pid));
    }
  });
  sample.start(20);

  form->PushButton(2)->click();

  // The run ends with a row for every file, the good ones filled.
  ASSERT_EQ(table().RowCount(), int(attacks.size()) + 2);
  EXPECT_EQ(Cell(1, u"General - Format"_s), u"MPEG-4"_s);
  EXPECT_EQ(Cell(table().RowCount(), u"General - Format"_s), u"MPEG-4"_s);
  EXPECT_EQ(Messages().value(0), u"Done."_s);
  // Nothing on the disk made, changed or removed; nothing run; nothing heard.
  EXPECT_EQ(Snapshot(folder), before);
  EXPECT_FALSE(QFile::exists(folder + u"/executed.txt"_s));
  EXPECT_EQ(listeners.Heard(), QStringList());
  // The window grew less than 300 MB, no helper held 1.5 GB.
  EXPECT_LT(windowMost - windowBefore, 300 * 1024);
  EXPECT_LT(helperMost, 1536 * 1024);
  // An attack that ended its helper cost its file's media values and one
  // report; one the library went past cost nothing.
  const QStringList reports = fakes.dialogs.ErrorReportTexts();
  int row = 2;
  int expectedReports = 0;
  for (const Attack& attack : attacks) {
    SCOPED_TRACE(attack.name.toStdString());
    const auto of = std::find_if(reports.begin(), reports.end(), [&](const QString& text) {
      return text.contains(attack.name);
    });
    if (attack.report.isEmpty()) {
      EXPECT_EQ(of, reports.end());
      EXPECT_EQ(Cell(row, u"General - Format"_s), u"MPEG-4"_s);
    } else {
      ++expectedReports;
      ASSERT_NE(of, reports.end());
      EXPECT_TRUE(of->startsWith(attack.report)) << of->toStdString();
      EXPECT_TRUE(of->contains(u"at line 126"_s));
      EXPECT_TRUE(Cell(row, u"General - Format"_s).isEmpty());
    }
    EXPECT_FALSE(Cell(row, u"File System - Size"_s).isEmpty());
    ++row;
  }
  EXPECT_EQ(reports.size(), expectedReports) << reports.join(u"\n"_s).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kernels, HostileFiles, testing::Values("", "--no-landlock"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return *info.param == '\0' ? "AsItIs" : "WithoutLandlock";
                         });

// A reader whose system-call filter cannot be installed parses nothing: each
// of its files gets one report that says why, and its file's other cells.
TEST_F(RunFixture, AReaderThatCannotShutItselfInReadsNoFile) {
  MediaWorkers workers(StandIn({u"--no-seccomp"_s}));
  UseWorkers(workers);
  Add(u"mp4-h264-aac.mp4"_s, u"a.mp4"_s);
  Add(u"mp4-h264-aac.mp4"_s, u"attack-kill.mp4"_s);

  form->PushButton(2)->click();

  EXPECT_EQ(ReportedLines(), (std::vector<int>{126, 126}));
  for (const QString& text : fakes.dialogs.ErrorReportTexts()) {
    EXPECT_TRUE(text.startsWith(u"The media reader could not shut itself in (the system-call "
                                u"filter could not be installed"_s))
        << text.toStdString();
  }
  for (int row = 1; row <= 2; ++row) {
    EXPECT_TRUE(Cell(row, u"General - Format"_s).isEmpty());
    EXPECT_EQ(Cell(row, u"File System - Size"_s), u"10363"_s);
  }
  EXPECT_EQ(Messages(), QStringList{u"Done."_s});
}

}  // namespace
}  // namespace vistarel::test
