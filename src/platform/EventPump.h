#pragma once

#include <QtGlobal>

namespace vistarel {

// The yield of long handlers: lets the window handle what is pending. Every
// call throws HandlerAbort when the window was closed meanwhile.
class IEventPump {
 public:
  virtual ~IEventPump() = default;
  // Processes every pending event now.
  virtual void Yield() = 0;
  // The per-cell and per-name yield of the long loops: processes events only when
  // some time has passed since the last pass, so it costs next to nothing in a
  // tight loop while the window still repaints and takes clicks.
  virtual void YieldSoon() = 0;
  // The yield of a wait for something that comes as an event (a timer):
  // sleeps until an event comes, or a short while, then processes what is
  // pending. By default a plain yield.
  virtual void Wait() { Yield(); }
  // How long ago the window last processed its events; 0 for a pump that keeps
  // no clock.
  virtual qint64 MillisecondsSinceLastPass() const { return 0; }
};

// For code that runs without a window: yields do nothing.
class NoEventPump final : public IEventPump {
 public:
  void Yield() override {}
  void YieldSoon() override {}
};

}  // namespace vistarel
