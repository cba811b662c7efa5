#include "gui/QtEventPump.h"

#include <QCoreApplication>
#include <QTimer>

#include "base/Failure.h"

namespace vistarel {

QtEventPump::QtEventPump() { sinceLastPass_.start(); }

void QtEventPump::Yield() {
  if (!closing_) QCoreApplication::processEvents();
  sinceLastPass_.restart();
  if (closing_) throw HandlerAbort{};
}

void QtEventPump::YieldSoon() {
  if (closing_) throw HandlerAbort{};
  // Reading the clock on every cell of a large table would cost more than the
  // cell itself; every 8th call is often enough to keep the window live.
  if (intervalMs_ > 0 && (++callsSinceClockRead_ & 7u) != 0) return;
  if (sinceLastPass_.elapsed() >= intervalMs_) Yield();
}

void QtEventPump::Wait() {
  if (closing_) throw HandlerAbort{};
  if (intervalMs_ > 0) {
    QTimer wakeUp;  // the latest wake-up when nothing else happens
    wakeUp.setSingleShot(true);
    wakeUp.start(intervalMs_);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  Yield();
}

}  // namespace vistarel
