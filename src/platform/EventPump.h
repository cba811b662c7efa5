#pragma once

namespace vistarel {

// The yield of long handlers: lets the window handle what is pending. Both calls
// throw HandlerAbort when the window was closed meanwhile.
class IEventPump {
 public:
  virtual ~IEventPump() = default;
  // Processes every pending event now.
  virtual void Yield() = 0;
  // The per-cell and per-name yield of the long loops: processes events only when
  // some time has passed since the last pass, so it costs next to nothing in a
  // tight loop while the window still repaints and takes clicks.
  virtual void YieldSoon() = 0;
};

// For code that runs without a window: yields do nothing.
class NoEventPump final : public IEventPump {
 public:
  void Yield() override {}
  void YieldSoon() override {}
};

}  // namespace vistarel
