#pragma once

#include <QString>

#include <chrono>
#include <memory>

#include "helpers/HelperProcess.h"
#include "platform/FileSystem.h"

namespace vistarel {

class IEventPump;

// A text file written by a helper process beside the window: the window turns
// the lines into the locale's 8-bit text and hands the bytes over; the helper
// creates the file beside its name, writes it and puts it in place at Close.
// A write that never returns (a share gone dead) costs the save, never the
// window: it fails with 57 after the stall limit, naming the file, while every
// wait goes through `pump`. Destroyed without Close, the helper is let go to
// leave any earlier file of that name as it was.
std::unique_ptr<ITextStream> OpenHelperTextStream(const HelperCommand& writer,
                                                  const QString& path, bool overwrite,
                                                  IEventPump& pump,
                                                  std::chrono::milliseconds stallLimit);

}  // namespace vistarel
