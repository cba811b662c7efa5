#pragma once

#include <QElapsedTimer>

#include "platform/EventPump.h"

namespace vistarel {

// How long the helpers' pipes are read on their own before the window's events
// get their turn: one frame.
inline constexpr int kFrameMs = 15;

// Waits until `take` gives a value, and returns it. The window's events get
// their turn through `pump` once a frame, however fast or slow the answers
// come: the frame runs from the window's last turn, so that a string of waits
// each shorter than a frame (a walk's quick look-ups) still lets the window
// repaint and see a close. Between the turns, `poll(milliseconds)` reads the
// helpers' pipes for the rest of the frame. A close of the window ends the
// wait at its next turn.
template <class Take, class Poll>
auto AwaitThrough(IEventPump& pump, Take take, Poll poll) {
  QElapsedTimer frame;
  frame.start();
  qint64 before = pump.MillisecondsSinceLastPass();  // of the frame, before this wait
  for (;;) {
    if (auto value = take())
      return std::move(*value);
    const qint64 left = kFrameMs - before - frame.elapsed();
    if (left <= 0) {
      pump.Yield();
      before = 0;
      frame.restart();
    } else {
      poll(int(left));
    }
  }
}

}  // namespace vistarel
