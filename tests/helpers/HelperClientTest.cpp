// The one client of the helper processes, on a helper that misbehaves on
// marked paths: whatever a helper does, the client costs the request it was
// at, and only that one, and goes on with a new helper.
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "helpers/HelperClient.h"
#include "support/Processes.h"
#include "support/TempTree.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace helper_message;
using Why = HelperLoss::Why;

HelperCommand FakeHelper(QStringList arguments = {}) {
  return {QString::fromUtf8(VISTAREL_FAKE_HELPER), std::move(arguments)};
}

// A client with an owner that keeps what it is told: the helper's process id
// for each request answered in full, the loss of each request lost.
struct Recorder {
  explicit Recorder(HelperCommand command, std::chrono::milliseconds stallLimit = 400ms)
      : group(stallLimit, 50ms),
        client(std::move(command), u"The helper"_s, group,
               HelperClient::Owner{
                   [this](const Request& front, Answer&& answer) {
                     if (answer.kind == Kind::ParsedMedia)
                       readBy[front.path] = std::get<MediaAnswers>(answer.payload).values[1];
                     if (answer.kind != Kind::ParsedSiblings)
                       return HelperClient::Fit::More;
                     answeredBy[front.path] = readBy[front.path];
                     return HelperClient::Fit::Done;
                   },
                   [this](const Request& request, HelperLoss& loss) {
                     lost[request.path] = loss;
                     return Failure(u"lost "_s + request.path, 57);
                   },
               }) {}

  void Ask(const QString& path) { client.Ask(Request{.kind = Kind::Parse, .id = ++id, .path = path}); }
  bool Settled(int requests) const { return int(answeredBy.size() + lost.size()) >= requests; }
  // Polls until `requests` were answered or lost, at most 20 seconds.
  bool WaitFor(int requests) {
    QElapsedTimer waited;
    waited.start();
    while (!Settled(requests) && waited.elapsed() < 20'000) group.Poll(10);
    return Settled(requests);
  }

  HelperGroup group;
  HelperClient client;
  quint64 id = 0;
  std::map<QString, QString> readBy;
  std::map<QString, QString> answeredBy;  // path: the answering helper's process id
  std::map<QString, HelperLoss> lost;
};

TEST(HelperClient, AHelperThatMisbehavesCostsTheRequestItWasAtAndANewOneServesTheRest) {
  struct Case {
    QString bad;
    Why why;
    QString how;  // part of how it ended
    StallPlace place;
  };
  const std::vector<Case> cases = {
      {u"/x/segv"_s, Why::Ended, u"signal 11"_s, {}},
      {u"/x/exit"_s, Why::Ended, u"stopped (exit status 3)"_s, {}},
      {u"/x/wrongid"_s, Why::BrokeProtocol, {}, {}},
      {u"/x/garbage"_s, Why::BrokeProtocol, {}, {}},
      // A stall is pinned on what the helper said it was at.
      {u"/x/stall"_s, Why::Stalled, {}, {u"/x/stall"_s, StallMemory::Request::Reading}},
      {u"/x/deadstat"_s, Why::Stalled, {}, {u"/x/deadstat"_s, StallMemory::Request::LookUp}},
      {u"/x/deadlist"_s, Why::Stalled, {}, {u"/x"_s, StallMemory::Request::Listing}},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.bad.toStdString());
    Recorder recorder(FakeHelper());
    for (const QString& path : {u"/x/before"_s, each.bad, u"/x/after"_s, u"/x/last"_s})
      recorder.Ask(path);
    ASSERT_TRUE(recorder.WaitFor(4));

    ASSERT_EQ(recorder.lost.size(), 1u);
    const HelperLoss& loss = recorder.lost.begin()->second;
    EXPECT_EQ(recorder.lost.begin()->first, each.bad);
    EXPECT_EQ(loss.why, each.why);
    EXPECT_TRUE(loss.how.contains(each.how)) << loss.how.toStdString();
    // The requests behind it went to a new helper, in their order.
    const auto& by = recorder.answeredBy;
    ASSERT_EQ(by.size(), 3u);
    EXPECT_NE(by.at(u"/x/before"_s), by.at(u"/x/after"_s));
    EXPECT_EQ(by.at(u"/x/after"_s), by.at(u"/x/last"_s));
    if (each.why == Why::Stalled) {
      EXPECT_EQ(loss.place.path, each.place.path);
      EXPECT_EQ(loss.place.request, each.place.request);
      // Remembered there, and only there.
      EXPECT_TRUE(recorder.group.Stalls().Known(each.place.path, each.place.request));
      EXPECT_FALSE(recorder.group.Stalls().Known(u"/x/after"_s, StallMemory::Request::LookUp));
    } else {
      EXPECT_TRUE(recorder.group.Stalls().IsEmpty());
    }
  }
}

// It says nothing for a second, but reads all the while: a slow share that
// keeps reading is never taken for a stall.
TEST(HelperClient, AHelperThatKeepsReadingIsNotGivenUpThoughItSaysNothing) {
  Recorder recorder(FakeHelper(), 400ms);
  QElapsedTimer took;
  took.start();
  recorder.Ask(u"/r/slowread"_s);
  ASSERT_TRUE(recorder.WaitFor(1));
  EXPECT_GT(took.elapsed(), 400);
  EXPECT_TRUE(recorder.lost.empty());
  EXPECT_EQ(recorder.answeredBy.size(), 1u);
}

TEST(HelperClient, WhenNoHelperCanBeHadEveryRequestIsLostAtOnceAlike) {
  struct Case {
    HelperCommand command;
    Why why;
    QString how;
  };
  const std::vector<Case> cases = {
      {{u"/nonexistent/helper"_s, {}}, Why::CannotStart, u"No such file or directory"_s},
      {FakeHelper({u"--stranger"_s}), Why::NotOurs, {}},
      {FakeHelper({u"--die"_s}), Why::DiedBeforeHello, u"stopped (exit status 4)"_s},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.command.arguments.join(u' ').toStdString());
    Recorder recorder(each.command);
    recorder.Ask(u"/y/1"_s);
    recorder.Ask(u"/y/2"_s);
    ASSERT_TRUE(recorder.WaitFor(2));
    ASSERT_EQ(recorder.lost.size(), 2u);
    for (const auto& [path, loss] : recorder.lost) {
      EXPECT_EQ(loss.why, each.why) << path.toStdString();
      EXPECT_TRUE(loss.how.contains(each.how)) << loss.how.toStdString();
    }
    EXPECT_TRUE(recorder.client.IsBroken());
    // Later requests are lost at once, without a try.
    recorder.Ask(u"/y/3"_s);
    EXPECT_TRUE(recorder.lost.count(u"/y/3"_s));
  }
}

// Two helpers of one group stall at once, the second only because it waits
// for the first (a kernel that holds a folder's look-ups while one hangs). The
// first is given up; the second gets a moment and goes on.
TEST(HelperClient, AHelperStalledBehindAnotherIsNotGivenUpWithIt) {
  test::TempTree tree;
  const QString freed = tree.Path(u"freed"_s);
  HelperGroup group(400ms, 50ms);
  std::vector<QString> answered;
  std::vector<QString> lost;
  const auto owner = [&] {
    return HelperClient::Owner{
        [&](const Request& front, Answer&& answer) {
          if (answer.kind != Kind::ParsedSiblings)
            return HelperClient::Fit::More;
          answered.push_back(front.path);
          return HelperClient::Fit::Done;
        },
        [&](const Request& request, HelperLoss&) {
          lost.push_back(request.path);
          QFile(freed).open(QIODevice::WriteOnly);  // the kernel lets the other go
          return Failure(u"lost"_s);
        },
    };
  };
  HelperClient first(FakeHelper(), u"first"_s, group, owner());
  HelperClient second(FakeHelper({u"--hold"_s, freed}), u"second"_s, group, owner());
  first.Ask(Request{.kind = Kind::Parse, .id = 1, .path = u"/z/deadstat"_s});
  second.Ask(Request{.kind = Kind::Parse, .id = 2, .path = u"/z/hold"_s});
  QElapsedTimer waited;
  waited.start();
  while (answered.size() + lost.size() < 2 && waited.elapsed() < 10'000) group.Poll(10);
  EXPECT_EQ(lost, std::vector<QString>{u"/z/deadstat"_s});
  EXPECT_EQ(answered, std::vector<QString>{u"/z/hold"_s});
}

TEST(HelperClient, LetsItsHelperGoAtOnceStuckOrNot) {
  test::TempTree tree;
  const QString stuck = tree.Path(u"stuck"_s);
  qint64 pid = 0;
  QElapsedTimer ending;
  {
    Recorder recorder(FakeHelper({u"--hold"_s, stuck}), 60s);
    recorder.Ask(u"/w/deadstat"_s);
    QElapsedTimer waited;
    waited.start();
    while (!recorder.client.ProcessId() ||
           (!QFile::exists(stuck + u'.' + QString::number(*recorder.client.ProcessId())) &&
            waited.elapsed() < 10'000)) {
      recorder.group.Poll(10);
    }
    pid = recorder.client.ProcessId().value_or(0);
    ASSERT_TRUE(QFile::exists(stuck + u'.' + QString::number(pid)));
    ending.start();
  }
  EXPECT_LT(ending.elapsed(), 1000);
  EXPECT_TRUE(test::EndsWithin(pid, 10'000));
}

}  // namespace
}  // namespace vistarel
