#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include "media/MediaWorkerPool.h"
#include "platform/EventPump.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

MediaWorkerCommand FakeWorker(QStringList arguments = {}) {
  return {QString::fromUtf8(VISTAREL_FAKE_MEDIA_WORKER), std::move(arguments)};
}

// Waits in the event loop until `take` has a value, at most 20 seconds.
std::optional<MediaAnswers> WaitFor(const std::function<std::optional<MediaAnswers>()>& take) {
  NoEventPump pump;
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 20'000) {
    if (std::optional<MediaAnswers> answers = take())
      return answers;
    pump.Wait();
  }
  return std::nullopt;
}

void Settle(int milliseconds) {
  NoEventPump pump;
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < milliseconds) pump.Wait();
}

bool IsRunning(qint64 pid) {
  return kill(pid_t(pid), 0) == 0;
}

MediaWorkerPool::Limits Workers(int count) {
  MediaWorkerPool::Limits limits;
  limits.workers = count;
  return limits;
}

TEST(MediaWorkerPool, AnswersComeInListOrderWhateverOrderTheWorkersFinishIn) {
  MediaWorkerPool::Limits limits = Workers(2);
  limits.queuedPerWorker = 1;
  const QStringList files = {u"/a/slow-1"_s, u"/a/2"_s, u"/a/3"_s, u"/a/4"_s, u"/a/5"_s};
  MediaWorkerPool pool(FakeWorker(), files, limits);

  const auto first = WaitFor([&] { return pool.TakeListFile(0); });
  ASSERT_TRUE(first);
  EXPECT_EQ(first->values.value(0), files[0]);
  // The other worker read the rest while the first one slept.
  Settle(50);
  for (int i = 1; i < files.size(); ++i) {
    const std::optional<MediaAnswers> answers = pool.TakeListFile(i);
    ASSERT_TRUE(answers) << i;
    EXPECT_EQ(answers->values.value(0), files[i]);
    EXPECT_NE(answers->values.value(1), first->values.value(1));
  }
}

TEST(MediaWorkerPool, ReadsNoFurtherAheadThanTheLookAheadAndGoesOnAsFilesAreTaken) {
  MediaWorkerPool::Limits limits = Workers(2);
  limits.lookAhead = 3;
  QStringList files;
  for (int i = 0; i < 50; ++i) files.append(u"/b/%1"_s.arg(i));
  MediaWorkerPool pool(FakeWorker(), files, limits);

  Settle(300);
  EXPECT_EQ(pool.ListFilesStarted(), 3);
  ASSERT_TRUE(WaitFor([&] { return pool.TakeListFile(0); }));
  EXPECT_EQ(pool.ListFilesStarted(), 4);
  for (int i = 1; i < files.size(); ++i)
    ASSERT_TRUE(WaitFor([&] { return pool.TakeListFile(i); })) << i;
}

TEST(MediaWorkerPool, AWorkerThatDiesCostsItsFileAloneAndIsReplaced) {
  const QStringList files = {u"/c/a"_s, u"/c/exit"_s, u"/c/b"_s, u"/c/segv"_s, u"/c/c"_s};
  MediaWorkerPool pool(FakeWorker(), files, Workers(1));

  std::vector<MediaAnswers> answers;
  for (int i = 0; i < files.size(); ++i) {
    std::optional<MediaAnswers> file = WaitFor([&] { return pool.TakeListFile(i); });
    ASSERT_TRUE(file) << i;
    answers.push_back(std::move(*file));
  }
  ASSERT_TRUE(answers[1].stopped);
  EXPECT_EQ(answers[1].stopped->description(),
            u"The MediaInfo library stopped (exit status 3) while reading /c/exit; its media "
            u"values are left empty."_s);
  EXPECT_TRUE(answers[1].values.isEmpty());
  ASSERT_TRUE(answers[3].stopped);
  EXPECT_EQ(answers[3].stopped->description(),
            u"The MediaInfo library stopped (signal 11, Segmentation fault) while reading "
            u"/c/segv; its media values are left empty."_s);
  for (const int good : {0, 2, 4}) {
    EXPECT_FALSE(answers[good].stopped) << good;
    EXPECT_EQ(answers[good].values.value(0), files[good]);
  }
  // Three workers in turn read the good files.
  EXPECT_NE(answers[0].values.value(1), answers[2].values.value(1));
  EXPECT_NE(answers[2].values.value(1), answers[4].values.value(1));
}

TEST(MediaWorkerPool, AWorkerThatReadsNothingForTheStallLimitIsKilledAndTheRunGoesOn) {
  MediaWorkerPool::Limits limits = Workers(1);
  limits.stallLimit = 400ms;
  limits.stallCheck = 50ms;
  MediaWorkerPool pool(FakeWorker(), {u"/d/stall"_s, u"/d/after"_s}, limits);

  const auto stalled = WaitFor([&] { return pool.TakeListFile(0); });
  ASSERT_TRUE(stalled && stalled->stopped);
  EXPECT_EQ(stalled->stopped->description(),
            u"The MediaInfo library made no progress for 0.4 seconds and was stopped while "
            u"reading /d/stall; its media values are left empty."_s);
  const auto after = WaitFor([&] { return pool.TakeListFile(1); });
  ASSERT_TRUE(after);
  EXPECT_EQ(after->values.value(0), u"/d/after"_s);
}

TEST(MediaWorkerPool, EndingThePoolLeavesNoWorkerRunningEvenInTheMiddleOfAFile) {
  QList<qint64> workers;
  {
    MediaWorkerPool pool(FakeWorker(), {u"/e/stall-1"_s, u"/e/stall-2"_s}, Workers(2));
    Settle(200);
    workers = pool.WorkerIds();
    ASSERT_EQ(workers.size(), 2);
    for (const qint64 pid : workers) EXPECT_TRUE(IsRunning(pid));
  }
  for (const qint64 pid : workers) EXPECT_FALSE(IsRunning(pid)) << pid;
}

TEST(MediaWorkerPool, WorkersThatCannotStartOrAreNotOursFailEveryFileAsANewHandleWould) {
  MediaWorkerPool missing({u"/nonexistent/worker"_s, {}}, {u"/f/1"_s, u"/f/2"_s}, Workers(2));
  for (int i = 0; i < 2; ++i) {
    const auto answers = WaitFor([&] { return missing.TakeListFile(i); });
    ASSERT_TRUE(answers && answers->noHandle) << i;
    EXPECT_TRUE(answers->noHandle->description().startsWith(
        u"The media reader /nonexistent/worker cannot be started: "_s));
    EXPECT_EQ(answers->noHandle->number(), 53);
  }

  MediaWorkerPool stranger(FakeWorker({u"--stranger"_s}), {u"/f/3"_s}, Workers(1));
  const auto answers = WaitFor([&] { return stranger.TakeListFile(0); });
  ASSERT_TRUE(answers && answers->noHandle);
  EXPECT_TRUE(answers->noHandle->description().endsWith(
      u"does not belong to this version of the program"_s));
}

TEST(MediaWorkerPool, ASubmittedFileIsReadBeforeTheListsNextFiles) {
  MediaWorkerPool::Limits limits = Workers(1);
  limits.queuedPerWorker = 1;
  MediaWorkerPool pool(FakeWorker(), {u"/g/slow-1"_s, u"/g/slow-2"_s, u"/g/slow-3"_s}, limits);
  const int ticket = pool.Submit(u"/g/other"_s);
  const auto other = WaitFor([&] { return pool.TakeSubmitted(ticket); });
  ASSERT_TRUE(other);
  EXPECT_EQ(other->values.value(0), u"/g/other"_s);
  // Only the file that was already being read came first.
  EXPECT_TRUE(pool.TakeListFile(0));
  EXPECT_FALSE(pool.TakeListFile(1));
}

TEST(MediaMessages, CarryEveryFieldAndNamesThatAreNotUtf8) {
  MediaAnswers answers;
  answers.noHandle = Failure(u"no library"_s, 53);
  answers.stopped = Failure(u"stopped"_s, 7);
  answers.opened = true;
  answers.values = {u"MPEG-4"_s, QString(), u"\U0001F3AC"_s};
  answers.shell[3] = u"Title"_s;
  answers.identity = FileStamp{1, 2, 3, 4, 5};
  const QString path = u"/h/vid"_s + QChar(0xDCE9) + u"o.mp4"_s;

  media_message::Reader reader;
  const QByteArray both = media_message::Request(41, path) + media_message::Answer(42, answers);
  reader.Append(both.left(5));
  EXPECT_FALSE(reader.Next());
  reader.Append(both.mid(5));
  const auto request = media_message::ParseRequest(*reader.Next());
  ASSERT_TRUE(request);
  EXPECT_EQ(request->id, 41u);
  EXPECT_EQ(request->path, path);
  const auto answer = media_message::ParseAnswer(*reader.Next());
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->id, 42u);
  const MediaAnswers& back = answer->answers;
  ASSERT_TRUE(back.noHandle && back.stopped && back.identity);
  EXPECT_EQ(back.noHandle->description(), u"no library"_s);
  EXPECT_EQ(back.noHandle->number(), 53);
  EXPECT_EQ(back.stopped->number(), 7);
  EXPECT_TRUE(back.opened);
  EXPECT_EQ(back.values, answers.values);
  EXPECT_EQ(back.shell, answers.shell);
  EXPECT_TRUE(*back.identity == *answers.identity);
  EXPECT_FALSE(reader.Next());
  EXPECT_FALSE(media_message::ParseAnswer(media_message::Hello().mid(4)));
}

}  // namespace
}  // namespace vistarel
