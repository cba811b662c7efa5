#include "gui/WindowPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace vistarel {

namespace {

// A window manager frames a window within moments of its mapping; a frame that
// comes later than this is not waited for, so no later move can surprise the user.
constexpr int kFrameWaitMs = 3000;

void Centre(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr)
    return;
  window.move(CentredPosition(window.frameGeometry().size(), screen->availableGeometry()));
}

bool HasFrame(const QWidget& window) {
  return window.frameGeometry().size() != window.size();
}

// Watches the window's first events after it is shown and centres it again
// once its frame is known; then goes away.
class FrameCentring final : public QObject {
 public:
  explicit FrameCentring(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
    QTimer::singleShot(kFrameWaitMs, this, &QObject::deleteLater);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && !done_ && IsPlacementEvent(event->type()) && HasFrame(window_)) {
      done_ = true;
      Centre(window_);
      deleteLater();
    }
    return false;
  }

 private:
  static bool IsPlacementEvent(QEvent::Type type) {
    return type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show ||
           type == QEvent::WindowActivate || type == QEvent::Paint;
  }

  QWidget& window_;
  bool done_ = false;
};

}  // namespace

QPoint CentredPosition(const QSize& frame, const QRect& area) {
  return area.topLeft() +
         QPoint((area.width() - frame.width()) / 2, (area.height() - frame.height()) / 2);
}

void ShowCentred(QWidget& window) {
  Centre(window);
  new FrameCentring(window);
  window.show();
}

}  // namespace vistarel
