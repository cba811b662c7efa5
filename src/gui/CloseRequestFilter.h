#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

#include <cstdint>

namespace vistarel {

// Takes a window manager's request to close the window (WM_DELETE_WINDOW, as
// the close button sends it) off Qt's hands on X, and closes the window as the
// program's own close does. Qt would drop the request while a modal box blocks
// the window (the run's "Done.", a file dialog, an error report), so the close
// would be lost for good; and a box may come up after the request arrives but
// before Qt hands it on. The window then closes as for any close, the box with
// it. On other window systems Qt delivers the request as ever.
class CloseRequestFilter final : public QAbstractNativeEventFilter {
 public:
  explicit CloseRequestFilter(QWidget& window);
  ~CloseRequestFilter() override;
  CloseRequestFilter(const CloseRequestFilter&) = delete;
  CloseRequestFilter& operator=(const CloseRequestFilter&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  QPointer<QWidget> window_;
  std::uint32_t protocols_ = 0;     // WM_PROTOCOLS
  std::uint32_t deleteWindow_ = 0;  // WM_DELETE_WINDOW
};

}  // namespace vistarel
