#pragma once

#include <QStringList>

#include <memory>

#include "protocol/FileAnswer.h"

namespace vistarel {

class IEventPump;

// The files of one run being read, ahead of the run and in list order.
class IFileReading {
 public:
  virtual ~IFileReading() = default;
  // All that was learnt of the list's next file. While it is not in yet the
  // wait goes through `pump`, so the window's events get their turn, and a
  // close of the window ends it (HandlerAbort).
  virtual FileAnswer Next(IEventPump& pump) = 0;
};

// Reads the files of a run: each file's facts, media values and folder, as
// one value per file. The program's reader parses them in helper processes
// beside the window.
class IFileReader {
 public:
  virtual ~IFileReader() = default;
  // Starts reading `files`; the reading ends when it is destroyed, however the
  // run ends.
  virtual std::unique_ptr<IFileReading> Read(const QStringList& files) = 0;
};

}  // namespace vistarel
