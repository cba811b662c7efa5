#include "ProcessMemory.h"

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <vector>

namespace {

double OwnCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

enum class Work { kCompute, kSystemCalls };

// Spends `seconds` of this process's processor time, in user code or in the kernel.
void Spend(Work work, double seconds) {
  const double until = OwnCpuSeconds() + seconds;
  volatile unsigned long sink = 0;
  while (OwnCpuSeconds() < until) {
    for (int i = 0; i < 1000; ++i) {
      if (work == Work::kSystemCalls)
        sink = sink + static_cast<unsigned long>(syscall(SYS_getppid));
      else
        sink = sink * 31 + static_cast<unsigned long>(i);
    }
  }
}

enum class Who { kThisProcess, kChildWaitedFor, kChildStillRunning };

struct Case {
  const char* name;
  Who who;
  Work work;
  double window, workers, kernel;  // the least each share must grow by, in seconds
};

// Runs the work where the case says, and returns the tree's processor time
// grown over it; a child still running is ended only after the reading.
ProcessTreeMemory::ProcessorSeconds GrowthOver(const Case& test) {
  const auto before = ProcessTreeMemory::TreeProcessorSeconds();
  if (test.who == Who::kThisProcess) {
    Spend(test.work, 0.4);
    return ProcessTreeMemory::TreeProcessorSeconds() - before;
  }
  int done[2];
  if (pipe(done) != 0)
    ADD_FAILURE() << "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    Spend(test.work, 0.4);
    (void)!write(done[1], "x", 1);
    if (test.who == Who::kChildStillRunning)
      pause();
    _exit(0);
  }
  char byte = 0;
  (void)!read(done[0], &byte, 1);
  if (test.who == Who::kChildWaitedFor)
    waitpid(child, nullptr, 0);
  const auto grown = ProcessTreeMemory::TreeProcessorSeconds() - before;
  if (test.who == Who::kChildStillRunning) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  close(done[0]);
  close(done[1]);
  return grown;
}

TEST(ProcessTreeMemory, CountsTheWindowsOwnTimeApartFromItsChildrensAndTheKernelsWithinBoth) {
  // The clock ticks a hundred times a second: 0.4 s of work reads as 0.2 s at the least.
  const std::vector<Case> cases = {
      {"compute in this process", Who::kThisProcess, Work::kCompute, 0.2, 0, 0},
      {"compute in a child waited for", Who::kChildWaitedFor, Work::kCompute, 0, 0.2, 0},
      {"compute in a child still running", Who::kChildStillRunning, Work::kCompute, 0, 0.2, 0},
      {"system calls in this process", Who::kThisProcess, Work::kSystemCalls, 0.2, 0, 0.1},
      {"system calls in a child waited for", Who::kChildWaitedFor, Work::kSystemCalls, 0, 0.2, 0.1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const auto grown = GrowthOver(test);
    EXPECT_GE(grown.window, test.window);
    EXPECT_GE(grown.workers, test.workers);
    EXPECT_GE(grown.kernel, test.kernel);
    // The other share takes none of it, beyond the test's own bookkeeping.
    if (test.window == 0) {
      EXPECT_LT(grown.window, 0.1);
    }
    if (test.workers == 0) {
      EXPECT_LT(grown.workers, 0.1);
    }
  }
}

TEST(ProcessTreeMemory, CountsWhatAChildHoldsResidentWhileItRuns) {
  const double before = ProcessTreeMemory::TreeMegabytes();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    std::vector<char> held(64u << 20, 1);
    (void)!write(ready[1], held.data(), 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  EXPECT_GE(ProcessTreeMemory::TreeMegabytes() - before, 60);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_LT(ProcessTreeMemory::TreeMegabytes() - before, 30);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
