// The folder intake of "*.avi" over a tree of 100,000 files in 1,000 folders,
// a tenth of them .avi, against `find DIR -type f -iname '*.avi'` over the
// same tree in the same run. Target: at most 3x find.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "worker/LinuxFileSystem.h"
#include "filelist/AddFolder.h"
#include "filelist/InputListModel.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "report/HandlerGuard.h"
#include "system/CharacterType.h"

using namespace vistarel;
using namespace Qt::StringLiterals;

namespace {

constexpr int kTopFolders = 10;
constexpr int kSubFoldersEach = 99;  // with its parent, 100 folders per top folder
constexpr int kFilesPerFolder = 100;
constexpr int kRounds = 5;

// Counts the error boxes a walk would have shown.
class CountingDialogs final : public IDialogs {
 public:
  BoxAnswer MessageBox(const QString&, const QString&, BoxIcon, BoxButtons) override {
    ++boxes;
    return BoxAnswer::Ok;
  }
  QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
  QStringList OpenFileNames(const QString&, const QList<FileFilter>&) override { return {}; }
  QString SaveFileName(const QString&, const QList<FileFilter>&) override { return {}; }
  QString ExistingDirectory(const QString&) override { return {}; }
  int boxes = 0;
};

void MakeFiles(const QString& folder) {
  QDir().mkpath(folder);
  const QByteArray prefix = QFile::encodeName(folder) + "/clip";
  for (int i = 0; i < kFilesPerFolder; ++i) {
    // Every tenth is a video, some of them with the extension in capitals.
    const char* extension = i % 10 != 0 ? ".txt" : (i % 20 == 0 ? ".AVI" : ".avi");
    const int fd = open((prefix + QByteArray::number(i) + extension).constData(),
                        O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0)
      close(fd);
  }
}

int MakeTree(const QString& root) {
  int folders = 0;
  for (int top = 0; top < kTopFolders; ++top) {
    const QString parent = root + u"/top%1"_s.arg(top);
    MakeFiles(parent);
    ++folders;
    for (int sub = 0; sub < kSubFoldersEach; ++sub) {
      MakeFiles(parent + u"/sub%1"_s.arg(sub, 2, 10, QChar(u'0')));
      ++folders;
    }
  }
  return folders;
}

double WalkSeconds(const QString& root, int& found, int& boxes) {
  LinuxFileSystem fileSystem;
  NoEventPump pump;
  CountingDialogs dialogs;
  InputListModel list;
  HandlerGuard guard(dialogs, u"PushButton3_Click"_s);
  QElapsedTimer timer;
  timer.start();
  AddFolderTree(root, u"*.avi"_s, fileSystem, pump, list, guard);
  const double seconds = double(timer.nsecsElapsed()) / 1e9;
  found = list.Count();
  boxes = dialogs.boxes;
  return seconds;
}

double FindSeconds(const QString& root, int& found) {
  QProcess find;
  QElapsedTimer timer;
  timer.start();
  find.start(u"find"_s, {root, u"-type"_s, u"f"_s, u"-iname"_s, u"*.avi"_s});
  find.waitForFinished(-1);
  const QByteArray output = find.readAllStandardOutput();
  const double seconds = double(timer.nsecsElapsed()) / 1e9;
  found = int(output.count('\n'));
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  UseUtf8CharacterType();

  QTemporaryDir dir;
  const QString root = dir.path() + u"/tree"_s;
  const int folders = MakeTree(root);
  std::printf("tree: %d files in %d folders, %d of them .avi\n", folders * kFilesPerFolder, folders,
              folders * kFilesPerFolder / 10);

  // Both warm the page cache first; then they take turns, so that a busy moment
  // of the machine weighs on both alike, and the best round counts.
  int walkFound = 0;
  int findFound = 0;
  int boxes = 0;
  WalkSeconds(root, walkFound, boxes);
  FindSeconds(root, findFound);
  double walk = 1e9;
  double find = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    walk = std::min(walk, WalkSeconds(root, walkFound, boxes));
    find = std::min(find, FindSeconds(root, findFound));
  }
  std::printf("AddFolderTree \"*.avi\": %d files in %.3f s (best of %d)\n", walkFound, walk,
              kRounds);
  std::printf("find -type f -iname '*.avi': %d files in %.3f s (best of %d)\n", findFound, find,
              kRounds);
  std::printf("walk / find: %.2fx (target at most 3x: %s)\n", walk / find,
              walk <= 3 * find ? "met" : "missed");
  if (walkFound != findFound || boxes != 0)
    std::fprintf(stderr, "the walk found %d files with %d error boxes; find found %d\n", walkFound,
                 boxes, findFound);
  return walkFound == findFound && boxes == 0 ? 0 : 1;
}
