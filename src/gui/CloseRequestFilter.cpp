#include "gui/CloseRequestFilter.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace vistarel {

namespace {

std::uint32_t Atom(xcb_connection_t* connection, const char* name) {
  const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(
          connection,
          xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
          nullptr),
      &std::free);
  return reply ? reply->atom : 0;
}

}  // namespace

CloseRequestFilter::CloseRequestFilter(QWidget& window) : window_(&window) {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr)
    return;
  protocols_ = Atom(x11->connection(), "WM_PROTOCOLS");
  deleteWindow_ = Atom(x11->connection(), "WM_DELETE_WINDOW");
  if (protocols_ != 0 && deleteWindow_ != 0)
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CloseRequestFilter::~CloseRequestFilter() {
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool CloseRequestFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || window_ == nullptr)
    return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
    return false;
  const auto* request = static_cast<const xcb_client_message_event_t*>(message);
  if (request->format != 32 || request->type != protocols_ ||
      request->data.data32[0] != deleteWindow_ || request->window != window_->internalWinId())
    return false;
  // The close runs the window's own close handling, which may process events:
  // not here, in the middle of Qt reading the X server's events.
  QMetaObject::invokeMethod(
      window_,
      [window = window_] {
        if (window != nullptr)
          window->close();
      },
      Qt::QueuedConnection);
  return true;
}

}  // namespace vistarel
