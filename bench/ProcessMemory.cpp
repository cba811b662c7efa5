#include "ProcessMemory.h"

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

long ResidentKilobytes(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/statm", static_cast<int>(pid));
  FILE* statm = std::fopen(path, "r");
  if (statm == nullptr)
    return 0;
  long pages = 0;
  long resident = 0;
  const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
  std::fclose(statm);
  return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// The fields of a process's stat line after its name; the name may hold
// blanks and parentheses, so they are counted from the last ')'.
bool StatFields(pid_t pid, char* line, size_t size, const char** fields) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  FILE* stat = std::fopen(path, "r");
  if (stat == nullptr)
    return false;
  const size_t read = std::fread(line, 1, size - 1, stat);
  std::fclose(stat);
  line[read] = '\0';
  *fields = std::strrchr(line, ')');
  return *fields != nullptr;
}

pid_t ParentOf(pid_t pid) {
  char line[1024] = {};
  const char* fields = nullptr;
  int parent = 0;
  char state = 0;
  if (!StatFields(pid, line, sizeof line, &fields) ||
      std::sscanf(fields + 1, " %c %d", &state, &parent) != 2)
    return 0;
  return parent;
}

// utime, stime, cutime and cstime, in clock ticks.
struct CpuTicks {
  long long user = 0, system = 0, childUser = 0, childSystem = 0;
};

CpuTicks CpuTicksOf(pid_t pid) {
  char line[1024] = {};
  const char* fields = nullptr;
  CpuTicks ticks;
  if (!StatFields(pid, line, sizeof line, &fields) ||
      std::sscanf(fields + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lld %lld %lld %lld",
                  &ticks.user, &ticks.system, &ticks.childUser, &ticks.childSystem) != 4)
    return {};
  return ticks;
}

std::vector<pid_t> ThisProcessAndDescendants() {
  std::multimap<pid_t, pid_t> children;
  if (DIR* proc = opendir("/proc")) {
    while (const dirent* entry = readdir(proc)) {
      char* end = nullptr;
      const long pid = std::strtol(entry->d_name, &end, 10);
      if (end != entry->d_name && *end == '\0')
        children.emplace(ParentOf(static_cast<pid_t>(pid)), static_cast<pid_t>(pid));
    }
    closedir(proc);
  }
  std::vector<pid_t> tree = {getpid()};
  for (size_t at = 0; at < tree.size(); ++at) {
    const auto [first, last] = children.equal_range(tree[at]);
    for (auto it = first; it != last; ++it) tree.push_back(it->second);
  }
  return tree;
}

long TreeKilobytes() {
  long sum = 0;
  for (const pid_t pid : ThisProcessAndDescendants()) sum += ResidentKilobytes(pid);
  return sum;
}

}  // namespace

ProcessTreeMemory::ProcessTreeMemory() {
  RestartPeak();
  sampler_ = std::thread([this] {
    while (!stop_) {
      Sample();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
}

ProcessTreeMemory::~ProcessTreeMemory() {
  stop_ = true;
  sampler_.join();
}

void ProcessTreeMemory::RestartPeak() { peakKilobytes_ = TreeKilobytes(); }

double ProcessTreeMemory::PeakMegabytes() {
  Sample();
  return static_cast<double>(peakKilobytes_) / 1024;
}

void ProcessTreeMemory::Sample() {
  const long now = TreeKilobytes();
  long peak = peakKilobytes_;
  while (now > peak && !peakKilobytes_.compare_exchange_weak(peak, now)) {
  }
}

double ProcessTreeMemory::ResidentMegabytes(pid_t pid) {
  return static_cast<double>(ResidentKilobytes(pid)) / 1024;
}

double ProcessTreeMemory::TreeMegabytes() { return static_cast<double>(TreeKilobytes()) / 1024; }

ProcessTreeMemory::ProcessorSeconds ProcessTreeMemory::TreeProcessorSeconds() {
  const double perTick = 1.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  ProcessorSeconds seconds;
  for (const pid_t pid : ThisProcessAndDescendants()) {
    const CpuTicks ticks = CpuTicksOf(pid);
    const double own = static_cast<double>(ticks.user + ticks.system) * perTick;
    (pid == getpid() ? seconds.window : seconds.workers) += own;
    seconds.workers += static_cast<double>(ticks.childUser + ticks.childSystem) * perTick;
    seconds.kernel += static_cast<double>(ticks.system + ticks.childSystem) * perTick;
  }
  return seconds;
}
