#pragma once

#include <QString>

#include "media/ShellMediaValues.h"
#include "media/WorkerMessages.h"

namespace vistarel {

// The facts of the run's current file, as its worker gathered them before it
// parsed the file: the window's file-system object and shell folder are made
// from them, and never look at the disk themselves.
class IRunFacts {
 public:
  virtual ~IRunFacts() = default;
  // The facts of the file of the run's last MediaInfo_New, when `path` is that
  // file; nullptr otherwise.
  virtual const worker_message::RunFacts* FactsOf(const QString& path) const = 0;
  // The facts of that file whatever its path; nullptr before the run's first New.
  virtual const worker_message::RunFacts* CurrentFacts() const = 0;
  // The shell's media values of one of that file's folder's entries: those of
  // the run's parse when it is that very file, unchanged, else those of a
  // parse of its own; empty when it was not read.
  virtual ShellMediaValues MediaValuesOf(const EntryFacts& entry) const = 0;
};

}  // namespace vistarel
