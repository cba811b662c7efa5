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

// The parent of a process, from its stat line; the name in it may hold
// blanks and parentheses, so the fields are counted from the last ')'.
pid_t ParentOf(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  FILE* stat = std::fopen(path, "r");
  if (stat == nullptr)
    return 0;
  char line[1024] = {};
  const size_t size = std::fread(line, 1, sizeof line - 1, stat);
  std::fclose(stat);
  line[size] = '\0';
  const char* end = std::strrchr(line, ')');
  int parent = 0;
  char state = 0;
  if (end == nullptr || std::sscanf(end + 1, " %c %d", &state, &parent) != 2)
    return 0;
  return parent;
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
