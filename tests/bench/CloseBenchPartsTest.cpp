#include "CloseBenchParts.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRect>

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>

namespace {

using namespace vistarel::bench;

// Whether `condition` holds within five seconds.
bool Within5s(const std::function<bool()>& condition) {
  QElapsedTimer waited;
  waited.start();
  while (!condition()) {
    if (waited.elapsed() > 5000)
      return false;
    usleep(10'000);
  }
  return true;
}

TEST(ProcessorTicksOf, ReadsTheFieldsAfterTheLastParenthesisOfTheName) {
  // A name may hold blanks and parentheses; utime and stime are 700 and 55.
  EXPECT_EQ(ProcessorTicksOf("42 (a) 1 2 (b) R 1 2 3 4 5 6 7 8 9 10 700 55 99 98 20 0"), 755);
  EXPECT_EQ(ProcessorTicksOf("42 (plain) S 1 2 3 4 5 6 7 8 9 10 3 4 0 0\n"), 7);
  EXPECT_EQ(ProcessorTicksOf("42 (short) S 1 2 3"), -1);
  EXPECT_EQ(ProcessorTicksOf("no name here"), -1);
  EXPECT_EQ(ProcessorTicksOf("42 (x) S 1 2 3 4 5 6 7 8 9 10 many 4 0"), -1);
}

TEST(ProcessorTicks, GrowsAsAProcessWorksAndIsGoneWithIt) {
  const qint64 before = ProcessorTicks(getpid());
  ASSERT_GE(before, 0);
  volatile unsigned long sink = 0;
  EXPECT_TRUE(Within5s([&] {
    for (int i = 0; i < 100000; ++i) sink = sink * 31 + static_cast<unsigned long>(i);
    return ProcessorTicks(getpid()) > before;
  }));

  QProcess ended;
  ended.start(QStringLiteral("true"), {});
  ASSERT_TRUE(ended.waitForFinished());
  EXPECT_EQ(ProcessorTicks(ended.processId()), -1);
}

TEST(ChildProcesses, ListsTheRunningChildrenAndAFamilyCountsTheirWork) {
  QProcess busy;
  busy.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
  ASSERT_TRUE(busy.waitForStarted());
  EXPECT_TRUE(ChildProcesses(getpid()).contains(busy.processId()));

  // The child's work shows in the family's ticks, not in the parent's own.
  const qint64 ownBefore = ProcessorTicks(getpid());
  const qint64 familyBefore = FamilyProcessorTicks(getpid());
  EXPECT_TRUE(Within5s([&] { return FamilyProcessorTicks(getpid()) - familyBefore >= 20; }));
  EXPECT_LT(2 * (ProcessorTicks(getpid()) - ownBefore),
            FamilyProcessorTicks(getpid()) - familyBefore);

  busy.kill();
  ASSERT_TRUE(busy.waitForFinished());
  EXPECT_FALSE(ChildProcesses(getpid()).contains(busy.processId()));
}

TEST(HasMainWindowShape, TakesTheMainWindowAtAnyDensityAndNoBox) {
  EXPECT_TRUE(HasMainWindowShape({536, 596}));  // 96 dpi
  EXPECT_TRUE(HasMainWindowShape({804, 894}));  // 144 dpi
  EXPECT_TRUE(HasMainWindowShape({537, 595}));  // a pixel of rounding
  EXPECT_FALSE(HasMainWindowShape({164, 72}));  // "Done."
  EXPECT_FALSE(HasMainWindowShape({596, 536}));
  EXPECT_FALSE(HasMainWindowShape({0, 0}));
}

TEST(ButtonCentre, FindsAButtonOfTheDesignOnTheWindowAsShown) {
  const QRect start(120, 4270, 7800, 405);
  EXPECT_EQ(ButtonCentre({536, 596}, start), QPoint(268, 298));
  EXPECT_EQ(ButtonCentre({804, 894}, start), QPoint(402, 447));
  EXPECT_EQ(ButtonCentre({536, 596}, QRect(120, 7920, 3840, 405)), QPoint(136, 541));
}

}  // namespace
