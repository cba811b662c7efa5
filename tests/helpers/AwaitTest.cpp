#include "helpers/Await.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>

namespace vistarel {
namespace {

// A window's pump as the waits see it: counts its turns, and keeps the time
// since the last one when `clocked`.
class CountingPump final : public IEventPump {
 public:
  explicit CountingPump(bool clocked) : clocked_(clocked) { sinceLastPass_.start(); }
  void Yield() override {
    ++yields;
    sinceLastPass_.restart();
  }
  void YieldSoon() override {}
  qint64 MillisecondsSinceLastPass() const override {
    return clocked_ ? sinceLastPass_.elapsed() : 0;
  }
  int yields = 0;

 private:
  bool clocked_;
  QElapsedTimer sinceLastPass_;
};

// A wait whose answer comes after `polls` polls of `microseconds` each.
int AnswerAfter(IEventPump& pump, int polls, unsigned long microseconds) {
  int polled = 0;
  return AwaitThrough(
      pump,
      [&]() -> std::optional<int> {
        return polled >= polls ? std::optional(polled) : std::nullopt;
      },
      [&](int) {
        QThread::usleep(microseconds);
        ++polled;
      });
}

TEST(AwaitThrough, QuickAnswersOneAfterAnotherStillGiveTheWindowATurnEveryFrame) {
  CountingPump pump(/*clocked=*/true);
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 300) AnswerAfter(pump, 1, 300);  // each answer well within a frame
  // A turn every frame, give or take a poll; half of that at the least.
  EXPECT_GE(pump.yields, int(waited.elapsed() / (2 * kFrameMs))) << waited.elapsed() << " ms";
}

TEST(AwaitThrough, AnAnswerSlowerThanAFrameGivesTheWindowItsTurnsWithoutAClock) {
  CountingPump pump(/*clocked=*/false);
  QElapsedTimer waited;
  waited.start();
  EXPECT_EQ(AnswerAfter(pump, 40, 2000), 40);  // some 80 ms
  EXPECT_GE(pump.yields, int(waited.elapsed() / (2 * kFrameMs))) << waited.elapsed() << " ms";
  EXPECT_GE(pump.yields, 1);
}

TEST(AwaitThrough, AnAnswerAtHandTakesNoTurn) {
  CountingPump pump(/*clocked=*/true);
  QThread::msleep(2 * kFrameMs);  // the window's turn is due
  EXPECT_EQ(AnswerAfter(pump, 0, 0), 0);
  EXPECT_EQ(pump.yields, 0);
}

}  // namespace
}  // namespace vistarel
