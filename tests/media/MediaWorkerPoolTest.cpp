#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>

#include "media/MediaWorkerPool.h"
#include "support/Processes.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "tools/slowfs/SlowFsMount.h"

namespace vistarel {
namespace {

using test::EndsWithin;
using test::IsRunning;

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

HelperCommand FakeWorker(QStringList arguments = {}) {
  return {QString::fromUtf8(VISTAREL_FAKE_HELPER), std::move(arguments)};
}

// Polls the pool until file `index` is in, at most 20 seconds.
std::optional<FileAnswer> WaitFor(MediaWorkerPool& pool, int index) {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 20'000) {
    if (std::optional<FileAnswer> parsed = pool.TakeListFile(index))
      return parsed;
    pool.Poll(10);
  }
  return std::nullopt;
}

MediaWorkerPool::Limits Workers(int count) {
  MediaWorkerPool::Limits limits;
  limits.workers = count;
  return limits;
}

QString Stopped(const FileAnswer& parsed) {
  return parsed.media.stopped ? parsed.media.stopped->description() : QString();
}

TEST(MediaWorkerPool, AnswersComeInListOrderWhateverOrderTheWorkersFinishIn) {
  test::TempTree tree;
  const QString marker = tree.Path(u"go"_s);
  MediaWorkerPool::Limits limits = Workers(2);
  limits.queuedPerWorker = 1;
  const QStringList files = {u"/a/hold-1"_s, u"/a/2"_s, u"/a/3"_s, u"/a/4"_s, u"/a/5"_s};
  MediaWorkerPool pool(FakeWorker({u"--hold"_s, marker}), files, limits);

  // The second worker reads every other file while the first holds its own.
  const auto last = WaitFor(pool, 4);
  ASSERT_TRUE(last);
  EXPECT_FALSE(pool.TakeListFile(0));
  for (int i = 1; i <= 3; ++i) {
    const std::optional<FileAnswer> parsed = pool.TakeListFile(i);
    ASSERT_TRUE(parsed) << i;
    EXPECT_EQ(parsed->media.values.value(0), files[i]);
    EXPECT_EQ(parsed->media.values.value(1), last->media.values.value(1));
  }
  tree.File(u"go"_s);
  const auto first = WaitFor(pool, 0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->media.values.value(0), files[0]);
  EXPECT_NE(first->media.values.value(1), last->media.values.value(1));
}

TEST(MediaWorkerPool, ReadsNoFurtherAheadThanTheLookAheadAndGoesOnAsFilesAreTaken) {
  MediaWorkerPool::Limits limits = Workers(2);
  limits.lookAhead = 3;
  QStringList files;
  for (int i = 0; i < 50; ++i) files.append(u"/b/%1"_s.arg(i));
  MediaWorkerPool pool(FakeWorker(), files, limits);

  EXPECT_EQ(pool.ListFilesStarted(), 3);
  ASSERT_TRUE(WaitFor(pool, 0));
  EXPECT_EQ(pool.ListFilesStarted(), 4);
  for (int i = 1; i < files.size(); ++i) ASSERT_TRUE(WaitFor(pool, i)) << i;
}

// A worker that dies or stalls costs the file it was at, and of the file only
// the part it was at: its look-up, its parse, or its folder.
TEST(MediaWorkerPool, AWorkerThatDiesOrStallsCostsOnlyThePartOfTheFileItWasAt) {
  MediaWorkerPool::Limits limits = Workers(1);
  limits.stallLimit = 400ms;
  limits.stallCheck = 50ms;
  const QStringList files = {u"/c/a"_s,        u"/c/exit"_s,     u"/c/segv"_s, u"/c/wrongid"_s,
                             u"/c/stall"_s,    u"/c/deadstat"_s, u"/c/deadstat"_s,
                             u"/e/deadlist"_s, u"/e/after"_s,    u"/c/b"_s};
  MediaWorkerPool pool(FakeWorker(), files, limits);
  std::vector<FileAnswer> parsed;
  for (int i = 0; i < files.size(); ++i) {
    std::optional<FileAnswer> file = WaitFor(pool, i);
    ASSERT_TRUE(file) << i;
    parsed.push_back(std::move(*file));
  }
  const auto folderFailure = [](const FileAnswer& answer) {
    return answer.folder.failure ? answer.folder.failure->description() : QString();
  };
  // A parse that died or looped costs its media values alone: the file's
  // facts stay, and its folder is asked for again.
  struct Parse {
    int file;
    QString stop;
  };
  for (const Parse& each : {
           Parse{1, u"stopped (exit status 3)"_s},
           Parse{2, u"stopped (signal 11, Segmentation fault)"_s},
           Parse{4, u"made no progress for 0.4 seconds and was stopped"_s},
       }) {
    const FileAnswer& answer = parsed[size_t(each.file)];
    EXPECT_EQ(Stopped(answer), u"The MediaInfo library %1 while reading %2; its media values are "
                               u"left empty."_s.arg(each.stop, files[each.file]));
    EXPECT_TRUE(answer.media.values.isEmpty());
    EXPECT_EQ(answer.file.status.size, files[each.file].size());
    EXPECT_FALSE(answer.file.failure);
    EXPECT_EQ(answer.folder.folder, u"/c"_s) << each.file;
    EXPECT_EQ(folderFailure(answer), QString());
  }
  // An answer to another request is no answer: the worker is let go.
  EXPECT_EQ(parsed[3].file.failure->description(),
            u"The media reader stopped (it answered what it was not asked) while looking up "
            u"/c/wrongid."_s);
  // A look-up that never returns costs the whole file; the same file again
  // fails at once.
  const QString lookUp =
      u"Looking up /c/deadstat made no progress for 0.4 seconds and was given up; its disk or "
      u"share does not answer."_s;
  for (const int file : {5, 6}) {
    ASSERT_TRUE(parsed[size_t(file)].file.failure);
    EXPECT_EQ(parsed[size_t(file)].file.failure->description(), lookUp);
    EXPECT_EQ(parsed[size_t(file)].file.failure->number(), 57);
    EXPECT_EQ(Stopped(parsed[size_t(file)]), lookUp);
    EXPECT_EQ(folderFailure(parsed[size_t(file)]), lookUp);
  }
  // A listing that never returns costs the folder alone: the media values
  // stay, and the next file of that folder is not listed again.
  const QString listing =
      u"Listing the folder /e made no progress for 0.4 seconds and was given up; its disk or "
      u"share does not answer."_s;
  for (const int file : {7, 8}) {
    EXPECT_EQ(parsed[size_t(file)].media.values.value(0), files[file]);
    EXPECT_EQ(folderFailure(parsed[size_t(file)]), listing) << file;
  }
  for (const int good : {0, 9}) {
    EXPECT_EQ(Stopped(parsed[size_t(good)]), QString()) << good;
    EXPECT_EQ(parsed[size_t(good)].media.values.value(0), files[good]);
    EXPECT_EQ(folderFailure(parsed[size_t(good)]), QString());
  }
}

TEST(MediaWorkerPool, EndingThePoolEndsEveryWorkerWithoutWaitingForOne) {
  test::TempTree tree;
  const QString stuck = tree.Path(u"stuck"_s);
  QList<qint64> workers;
  QElapsedTimer ending;
  {
    MediaWorkerPool pool(FakeWorker({u"--hold"_s, stuck}),
                         {u"/e/deadstat-1"_s, u"/e/deadstat-2"_s}, Workers(2));
    workers = pool.WorkerIds();
    ASSERT_EQ(workers.size(), 2);
    // Both in the middle of their file, where only a kill ends them.
    for (const qint64 pid : workers) {
      QElapsedTimer waited;
      waited.start();
      while (!QFile::exists(stuck + u'.' + QString::number(pid)) && waited.elapsed() < 10'000)
        pool.Poll(10);
      ASSERT_TRUE(QFile::exists(stuck + u'.' + QString::number(pid))) << pid;
    }
    ending.start();
  }
  EXPECT_LT(ending.elapsed(), 1000);
  for (const qint64 pid : workers) EXPECT_TRUE(EndsWithin(pid, 10'000)) << pid;
}

TEST(MediaWorkerPool, WorkersThatCannotStartOrAreNotOursFailEveryFileAsANewHandleWould) {
  struct Case {
    HelperCommand command;
    QString reason;
  };
  const std::vector<Case> cases = {
      {{u"/nonexistent/worker"_s, {}}, u"The media reader /nonexistent/worker cannot be started: "_s},
      {FakeWorker({u"--stranger"_s}), u"does not belong to this version of the program"_s},
      {FakeWorker({u"--die"_s}), u"stopped (exit status 4) before it could read any file"_s},
  };
  for (const Case& each : cases) {
    MediaWorkerPool pool(each.command, {u"/f/1"_s, u"/f/2"_s}, Workers(2));
    for (int i = 0; i < 2; ++i) {
      const auto parsed = WaitFor(pool, i);
      ASSERT_TRUE(parsed && parsed->media.noHandle) << each.reason.toStdString();
      EXPECT_TRUE(parsed->media.noHandle->description().contains(each.reason))
          << parsed->media.noHandle->description().toStdString();
      // The run's file-system and shell objects fail alike.
      EXPECT_EQ(parsed->file.failure->description(), parsed->media.noHandle->description());
    }
  }
}

// Copies of a sample on a slowfs mirror, read by the real worker.
class OnSlowfs : public testing::Test {
 protected:
  // False, with the test skipped, where FUSE is not to be had.
  bool Mount(int files, int readDelayMs, const QString& sample = u"mp4-h264-aac.mp4"_s) {
    tree.Folder(u"source"_s);
    const QString suffix = sample.section(u'.', -1);
    for (int i = 0; i < files; ++i) {
      EXPECT_TRUE(test::CopyFileTo(test::TestDataPath(u"media/"_s + sample),
                                   tree.Path(u"source/%1.%2"_s.arg(i).arg(suffix))));
      paths.append(tree.Path(u"share/%1.%2"_s.arg(i).arg(suffix)));
    }
    share = std::make_unique<test::SlowFsMount>(VISTAREL_SLOWFS,
                                                tree.Path(u"source"_s).toStdString(),
                                                tree.Path(u"share"_s).toStdString(), readDelayMs);
    return share->isMounted();
  }
  static HelperCommand Worker() {
    return {QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), {}};
  }

  test::TempTree tree;
  QStringList paths;
  std::unique_ptr<test::SlowFsMount> share;
};

TEST_F(OnSlowfs, OnAShareMoreWorkersReadAtOnceThanThereAreCores) {
  if (!Mount(8, 0))
    GTEST_SKIP() << share->reason();
  MediaWorkerPool::Limits limits = Workers(1);
  limits.mostWorkers = 4;
  MediaWorkerPool pool(Worker(), paths, limits);
  EXPECT_EQ(pool.WorkerLimit(), 1);
  for (int i = 0; i < paths.size(); ++i) {
    const auto parsed = WaitFor(pool, i);
    ASSERT_TRUE(parsed) << i;
    EXPECT_TRUE(parsed->file.remote);
    EXPECT_EQ(parsed->media.values.value(0), u"MPEG-4"_s);
  }
  EXPECT_EQ(pool.WorkerLimit(), 4);
}

}  // namespace
}  // namespace vistarel
