#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QTimer>

namespace vistarel {

void NoEventPump::Wait() {
  QTimer wakeUp;  // the latest wake-up when nothing else happens
  wakeUp.setSingleShot(true);
  wakeUp.start(15);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace vistarel
