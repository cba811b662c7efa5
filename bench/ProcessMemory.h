#pragma once

#include <sys/types.h>

#include <atomic>
#include <thread>

// The resident memory of this process and of every process below it (the
// media workers and any other helper the window starts), sampled every 50 ms
// on a thread of its own, so that a window busy in a long call misses no peak.
class ProcessTreeMemory {
 public:
  ProcessTreeMemory();
  ~ProcessTreeMemory();
  ProcessTreeMemory(const ProcessTreeMemory&) = delete;
  ProcessTreeMemory& operator=(const ProcessTreeMemory&) = delete;

  // Starts a new peak from what is resident now.
  void RestartPeak();
  // The highest sum seen since RestartPeak, a sample taken now included.
  double PeakMegabytes();

  // What one process holds resident now; 0 when it has ended.
  static double ResidentMegabytes(pid_t pid);
  // What this process and its descendants hold resident now.
  static double TreeMegabytes();
  // The processor time this process and its descendants have used, those
  // they have waited for included: the run's cost apart from what else the
  // machine was doing. The window is this process alone; the kernel's share
  // is the system time of all of them.
  struct ProcessorSeconds {
    double window = 0;
    double workers = 0;
    double kernel = 0;
    double Total() const { return window + workers; }
    ProcessorSeconds operator-(const ProcessorSeconds& earlier) const {
      return {window - earlier.window, workers - earlier.workers, kernel - earlier.kernel};
    }
  };
  static ProcessorSeconds TreeProcessorSeconds();

 private:
  void Sample();

  std::atomic<long> peakKilobytes_{0};
  std::atomic<bool> stop_{false};
  std::thread sampler_;
};
