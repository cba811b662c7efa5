#include "app/QtEventPump.h"

#include <QCoreApplication>

#include "platform/Failure.h"

namespace vistarel {

QtEventPump::QtEventPump() { sinceLastPass_.start(); }

void QtEventPump::Yield() {
  if (!closing_) QCoreApplication::processEvents();
  sinceLastPass_.restart();
  if (closing_) throw HandlerAbort{};
}

void QtEventPump::YieldSoon() {
  if (closing_) throw HandlerAbort{};
  if (sinceLastPass_.elapsed() >= intervalMs_) Yield();
}

}  // namespace vistarel
