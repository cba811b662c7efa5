#include "protocol/FileAnswer.h"

namespace vistarel {

ShellMediaValues FileAnswer::MediaValuesOf(const EntryFacts& entry) const {
  // The file the run parsed, unchanged since: its values, or none when its
  // parse stopped, rather than read, crash or stall a second time.
  if (entry.stamp && media.identity && *entry.stamp == *media.identity)
    return media.noHandle || media.stopped ? ShellMediaValues{} : media.shell;
  for (const SiblingValues& sibling : siblings) {
    if (sibling.item == entry.item)
      return sibling.values;
  }
  return {};
}

}  // namespace vistarel
