#include <gtest/gtest.h>

#include <stdexcept>

#include "report/HandlerGuard.h"
#include "support/ScriptedDialogs.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
using test::ScriptedDialogs;

TEST(HandlerErrorText, IsTheReportByteForByte) {
  EXPECT_EQ(HandlerErrorText(u"Permission denied: /x"_s, u"PushButton5_Click"_s, 100),
            u"Permission denied: /x\r\nin Ostrivel2016/11/03.Form1.PushButton5_Click at line 100"
            "\r\rPlease email screenshot of this message to support@quorvane.example"_s);
}

TEST(HandlerErrorText, EmptyDescriptionKeepsTheLineBreakAndTheRest) {
  EXPECT_TRUE(HandlerErrorText(QString(), u"Form_Load"_s, 236)
                  .startsWith(u"\r\nin Ostrivel2016/11/03.Form1.Form_Load at line 236\r\r"_s));
}

TEST(ReportHandlerError, ShowsAWarningBoxWithOkOnly) {
  ScriptedDialogs dialogs;
  ReportHandlerError(dialogs, u"boom"_s, u"PushButton8_Click"_s, 116);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, u"Application Error"_s);
  EXPECT_EQ(dialogs.boxes[0].icon, BoxIcon::Warning);
  EXPECT_EQ(dialogs.boxes[0].buttons, BoxButtons::Ok);
}

// A routine without failure handling of its own: its failure belongs to the
// step that called it.
void RoutineThatFails() { throw Failure(u"inner failure"_s, 75); }

TEST(HandlerGuard, GoesOnAfterAFailingStepAndReportsTheCallingStep) {
  ScriptedDialogs dialogs;
  HandlerGuard guard(dialogs, u"PushButton3_Click"_s);
  std::vector<int> ran;
  guard.Run([&] {
    guard.Step(100, [&] { ran.push_back(100); });
    guard.Step(102, [&] { RoutineThatFails(); ran.push_back(-1); });
    guard.Step(104, [&] { ran.push_back(104); });
  });
  EXPECT_EQ(ran, (std::vector<int>{100, 104}));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_TRUE(dialogs.boxes[0].text.startsWith(u"inner failure\r\n"_s));
  EXPECT_TRUE(dialogs.boxes[0].text.contains(u"PushButton3_Click at line 102\r\r"_s));
}

TEST(HandlerGuard, AFailingTestLeadsIntoTheThenBranch) {
  ScriptedDialogs dialogs;
  HandlerGuard guard(dialogs, u"Form_Load"_s);
  bool thenRan = false;
  guard.Run([&] {
    if (guard.Test(104, []() -> bool { throw Failure(u"cannot tell"_s); })) thenRan = true;
  });
  EXPECT_TRUE(thenRan);
  ASSERT_EQ(dialogs.ErrorReports().size(), 1u);
  EXPECT_TRUE(dialogs.boxes[0].text.contains(u"at line 104"_s));
}

TEST(HandlerGuard, AFalseTestSkipsTheThenBranchWithoutAReport) {
  ScriptedDialogs dialogs;
  HandlerGuard guard(dialogs, u"Form_Load"_s);
  EXPECT_FALSE(guard.Test(104, [] { return false; }));
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST(HandlerGuard, AStepFailingOnEveryPassOfALoopGivesOneReportPerPass) {
  ScriptedDialogs dialogs;
  HandlerGuard guard(dialogs, u"PushButton2_Click"_s);
  int after = 0;
  guard.Run([&] {
    for (int pass = 0; pass < 3; ++pass) {
      guard.Step(130, [] { throw std::runtime_error("no library"); });
      guard.Step(132, [&] { ++after; });
    }
  });
  EXPECT_EQ(after, 3);
  ASSERT_EQ(dialogs.boxes.size(), 3u);
  for (const auto& box : dialogs.boxes) {
    EXPECT_TRUE(box.text.startsWith(u"no library\r\n"_s));
    EXPECT_TRUE(box.text.contains(u"at line 130"_s));
  }
}

TEST(HandlerGuard, AbortOfAClosingWindowEndsTheHandlerWithoutAReport) {
  ScriptedDialogs dialogs;
  HandlerGuard guard(dialogs, u"PushButton2_Click"_s);
  bool closingStepRan = false;
  guard.Run([&] {
    guard.Step(120, [] { throw HandlerAbort{}; });
    closingStepRan = true;
  });
  EXPECT_FALSE(closingStepRan);
  EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
}  // namespace vistarel
