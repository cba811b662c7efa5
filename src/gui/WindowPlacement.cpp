#include "gui/WindowPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

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
// once its frame is known, and again should the frame grow; then goes away.
// The move waits until the manager has been still for a moment: a manager
// reports the frame in steps (the borders first, the title bar later), and one
// still mapping the window may take a move for one of the client area.
class FrameCentring final : public QObject {
 public:
  explicit FrameCentring(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
    still_.setSingleShot(true);
    still_.setInterval(kStillMs);
    connect(&still_, &QTimer::timeout, this, &FrameCentring::CentreNewFrame);
    QTimer::singleShot(kFrameWaitMs, this, &QObject::deleteLater);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && IsPlacementEvent(event->type()) && HasFrame(window_) &&
        window_.frameGeometry().size() != centredFor_) {
      still_.start();
    }
    return false;
  }

 private:
  static constexpr int kStillMs = 150;

  static bool IsPlacementEvent(QEvent::Type type) {
    return type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show ||
           type == QEvent::WindowActivate || type == QEvent::Paint;
  }

  // Only a new frame size moves the window, so one dragged away stays put.
  void CentreNewFrame() {
    centredFor_ = window_.frameGeometry().size();
    Centre(window_);
  }

  QWidget& window_;
  QTimer still_;
  QSize centredFor_;
};

}  // namespace

QPoint CentredPosition(const QSize& frame, const QRect& area) {
  return area.topLeft() + QPoint(std::max(0, (area.width() - frame.width()) / 2),
                                 std::max(0, (area.height() - frame.height()) / 2));
}

void ShowCentred(QWidget& window) {
  Centre(window);
  new FrameCentring(window);
  window.show();
}

}  // namespace vistarel
