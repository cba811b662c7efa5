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
  return {QString::fromUtf8(VISTAREL_FAKE_MEDIA_WORKER), std::move(arguments)};
}

// Polls the pool until file `index` is in, at most 20 seconds.
std::optional<ParsedFile> WaitFor(MediaWorkerPool& pool, int index) {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 20'000) {
    if (std::optional<ParsedFile> parsed = pool.TakeListFile(index))
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

QString Stopped(const ParsedFile& parsed) {
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
    const std::optional<ParsedFile> parsed = pool.TakeListFile(i);
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

TEST(MediaWorkerPool, AWorkerThatDiesCostsItsFileAloneAndIsReplaced) {
  const QStringList files = {u"/c/a"_s, u"/c/exit"_s, u"/c/b"_s, u"/c/segv"_s, u"/c/wrongid"_s,
                             u"/c/c"_s};
  MediaWorkerPool pool(FakeWorker(), files, Workers(1));

  std::vector<ParsedFile> parsed;
  for (int i = 0; i < files.size(); ++i) {
    std::optional<ParsedFile> file = WaitFor(pool, i);
    ASSERT_TRUE(file) << i;
    parsed.push_back(std::move(*file));
  }
  EXPECT_EQ(Stopped(parsed[1]),
            u"The MediaInfo library stopped (exit status 3) while reading /c/exit; its media "
            u"values are left empty."_s);
  EXPECT_TRUE(parsed[1].media.values.isEmpty());
  EXPECT_EQ(Stopped(parsed[3]),
            u"The MediaInfo library stopped (signal 11, Segmentation fault) while reading "
            u"/c/segv; its media values are left empty."_s);
  // An answer to another request is no answer: the worker is let go.
  EXPECT_EQ(parsed[4].facts.file.failure->description(),
            u"The media reader stopped (it answered what it was not asked) while looking up "
            u"/c/wrongid."_s);
  for (const int good : {0, 2, 5}) {
    EXPECT_EQ(Stopped(parsed[good]), QString()) << good;
    EXPECT_EQ(parsed[good].media.values.value(0), files[good]);
  }
  // The facts came before the worker died, and stay.
  EXPECT_EQ(parsed[1].facts.file.failure->number(), 53);
  // Four workers in turn read the good files.
  EXPECT_NE(parsed[0].media.values.value(1), parsed[2].media.values.value(1));
  EXPECT_NE(parsed[2].media.values.value(1), parsed[5].media.values.value(1));
}

TEST(MediaWorkerPool, AWorkerWithoutProgressIsLetGoAndAPlaceThatStalledIsNotAskedAgain) {
  MediaWorkerPool::Limits limits = Workers(1);
  limits.stallLimit = 400ms;
  limits.stallCheck = 50ms;
  const QStringList files = {u"/d/stall"_s, u"/d/deadstat"_s, u"/d/after"_s, u"/d/deadstat"_s};
  MediaWorkerPool pool(FakeWorker(), files, limits);

  const auto parse = WaitFor(pool, 0);
  ASSERT_TRUE(parse);
  EXPECT_EQ(Stopped(*parse),
            u"The MediaInfo library made no progress for 0.4 seconds and was stopped while "
            u"reading /d/stall; its media values are left empty."_s);
  EXPECT_FALSE(parse->facts.file.failure && parse->facts.file.failure->number() == 57);

  const auto lookUp = WaitFor(pool, 1);
  ASSERT_TRUE(lookUp && lookUp->facts.file.failure && lookUp->facts.folder.failure);
  const Failure& stalled = *lookUp->facts.file.failure;
  EXPECT_EQ(stalled.number(), 57);
  EXPECT_EQ(stalled.description(),
            u"Looking up /d/deadstat made no progress for 0.4 seconds and was given up; its "
            u"disk or share does not answer."_s);
  EXPECT_EQ(Stopped(*lookUp), stalled.description());
  // The same file again, queued behind it, fails at once with it.
  const auto again = pool.TakeListFile(3);
  ASSERT_TRUE(again && again->facts.file.failure);
  EXPECT_EQ(again->facts.file.failure->description(), stalled.description());

  const auto after = WaitFor(pool, 2);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->media.values.value(0), u"/d/after"_s);
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
      EXPECT_EQ(parsed->facts.file.failure->description(),
                parsed->media.noHandle->description());
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
    EXPECT_TRUE(parsed->facts.file.remote);
    EXPECT_EQ(parsed->media.values.value(0), u"MPEG-4"_s);
  }
  EXPECT_EQ(pool.WorkerLimit(), 4);
}

// Every read answers after 250 ms, and the parse makes several: as a whole it
// outlasts the stall limit, and goes through.
TEST_F(OnSlowfs, AReadThatKeepsReadingIsNeverTakenForAStall) {
  if (!Mount(1, 250, u"mpeg-ps-mpeg2-mp2.mpg"_s))
    GTEST_SKIP() << share->reason();
  MediaWorkerPool::Limits limits = Workers(1);
  limits.stallLimit = 400ms;
  limits.stallCheck = 50ms;
  QElapsedTimer parse;
  parse.start();
  MediaWorkerPool pool(Worker(), paths, limits);
  const auto parsed = WaitFor(pool, 0);
  ASSERT_TRUE(parsed);
  EXPECT_GT(parse.elapsed(), limits.stallLimit.count());
  EXPECT_EQ(Stopped(*parsed), QString());
  EXPECT_EQ(parsed->media.values.value(0), u"MPEG-PS"_s);
}

TEST(WorkerMessages, CarryEveryFieldAndNamesThatAreNotUtf8) {
  using namespace worker_message;
  const QString path = u"/h/vid"_s + QChar(0xDCE9) + u"o.mp4"_s;
  RunFacts facts;
  facts.file.status.size = 9123;
  facts.file.status.stamp = FileStamp{1, 2, 3, 4, 5};
  facts.file.drive = u"/h"_s;
  facts.file.mimeType = u"video/mp4"_s;
  facts.file.remote = true;
  facts.folder.failure = Failure(u"no folder"_s, 76);
  EntryFacts entry;
  entry.item = 7;
  entry.name = path.mid(3);
  entry.stamp = FileStamp{6, 7, 8, 9, 10};
  entry.attributes = 33;
  entry.comment = u"\U0001F3AC"_s;
  facts.folder.entries = {entry};
  MediaAnswers answers;
  answers.noHandle = Failure(u"no library"_s, 53);
  answers.values = {u"MPEG-4"_s, QString()};
  answers.shell[3] = u"Title"_s;
  answers.identity = FileStamp{1, 2, 3, 4, 5};

  FrameReader reader;
  const QByteArray all = Encode(Request{Kind::ListFiles, 41, path, u"*.avi"_s, 6, {}}) +
                         Encode(Request{Kind::GetAttributesOfMany, 43, {}, {}, 0, {path, path}}) +
                         Encode(Answer{Kind::Facts, 42, facts}) +
                         Encode(Answer{Kind::Media, 42, answers}) + Progress();
  reader.Append(all.left(5));
  EXPECT_FALSE(reader.Next());
  reader.Append(all.mid(5));
  const auto request = DecodeRequest(*reader.Next());
  ASSERT_TRUE(request);
  EXPECT_EQ(request->id, 41u);
  EXPECT_EQ(request->path, path);
  EXPECT_EQ(request->pattern, u"*.avi"_s);
  EXPECT_EQ(request->mask, 6);
  const auto many = DecodeRequest(*reader.Next());
  ASSERT_TRUE(many);
  EXPECT_EQ(many->paths, (QStringList{path, path}));

  const auto factsBack = DecodeAnswer(*reader.Next());
  ASSERT_TRUE(factsBack && factsBack->kind == Kind::Facts);
  const auto& back = std::get<RunFacts>(factsBack->payload);
  EXPECT_EQ(back.file.status.size, 9123);
  EXPECT_TRUE(back.file.status.stamp == facts.file.status.stamp);
  EXPECT_EQ(back.file.mimeType, u"video/mp4"_s);
  EXPECT_TRUE(back.file.remote);
  EXPECT_EQ(back.folder.failure->number(), 76);
  ASSERT_EQ(back.folder.entries.size(), 1);
  EXPECT_EQ(back.folder.entries[0].name, entry.name);
  EXPECT_EQ(back.folder.entries[0].item, 7);
  EXPECT_EQ(back.folder.entries[0].attributes, 33);
  EXPECT_EQ(back.folder.entries[0].comment, entry.comment);
  EXPECT_TRUE(*back.folder.entries[0].stamp == *entry.stamp);

  const auto mediaBack = DecodeAnswer(*reader.Next());
  ASSERT_TRUE(mediaBack && mediaBack->id == 42u);
  const auto& media = std::get<MediaAnswers>(mediaBack->payload);
  EXPECT_EQ(media.noHandle->description(), u"no library"_s);
  EXPECT_EQ(media.values, answers.values);
  EXPECT_EQ(media.shell, answers.shell);
  EXPECT_TRUE(*media.identity == *answers.identity);
  EXPECT_EQ(DecodeAnswer(*reader.Next())->kind, Kind::Progress);
  EXPECT_FALSE(reader.Next());
  // A body cut short, or of a kind no one sends, is no message.
  EXPECT_FALSE(DecodeAnswer(Encode(Answer{Kind::Media, 1, answers}).mid(4).chopped(1)));
  EXPECT_FALSE(DecodeRequest(Hello().mid(4)));
}

}  // namespace
}  // namespace vistarel
