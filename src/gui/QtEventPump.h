#pragma once

#include <QElapsedTimer>

#include "platform/EventPump.h"

namespace vistarel {

// The yield of the main window's long handlers. It also carries the mark that
// the window is closing: every yield after the mark stops its handler at once.
class QtEventPump final : public IEventPump {
 public:
  QtEventPump();

  void Yield() override;
  void YieldSoon() override;
  // The yield of a wait: sleeps until an event comes, at most one interval,
  // then processes what is pending, so that waiting costs no processor time.
  // With an interval of 0 it only processes what is pending.
  void Wait() override;
  qint64 MillisecondsSinceLastPass() const override { return sinceLastPass_.elapsed(); }

  void MarkClosing() { closing_ = true; }
  bool IsClosing() const { return closing_; }
  // How long YieldSoon lets pass between two passes, and how long Wait sleeps
  // at most; 0 makes both yield at once.
  void SetInterval(int milliseconds) { intervalMs_ = milliseconds; }

 private:
  QElapsedTimer sinceLastPass_;
  int intervalMs_ = 15;
  unsigned callsSinceClockRead_ = 0;
  bool closing_ = false;
};

}  // namespace vistarel
