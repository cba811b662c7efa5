// Asks every top-level window with the given title to close, as a window
// manager's close button does (WM_DELETE_WINDOW), so that a test can close a
// program the way a user would under a bare X server.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(connection,
                            xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr),
      &std::free);
  return reply ? reply->atom : XCB_ATOM_NONE;
}

std::string Title(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                  xcb_atom_t type) {
  Reply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(
          connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr),
      &std::free);
  if (!reply) return {};
  const int length = xcb_get_property_value_length(reply.get());
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<size_t>(length));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: close_window TITLE\n");
    return 2;
  }
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "close_window: no X display\n");
    return 2;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const xcb_atom_t protocols = Atom(connection, "WM_PROTOCOLS");
  const xcb_atom_t deleteWindow = Atom(connection, "WM_DELETE_WINDOW");
  const xcb_atom_t netName = Atom(connection, "_NET_WM_NAME");
  const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");

  Reply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(connection, xcb_query_tree(connection, screen->root), nullptr),
      &std::free);
  int asked = 0;
  if (tree) {
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
      const xcb_window_t window = children[i];
      if (Title(connection, window, netName, utf8) != argv[1] &&
          Title(connection, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) != argv[1]) {
        continue;
      }
      xcb_client_message_event_t message{};
      message.response_type = XCB_CLIENT_MESSAGE;
      message.format = 32;
      message.window = window;
      message.type = protocols;
      message.data.data32[0] = deleteWindow;
      message.data.data32[1] = XCB_CURRENT_TIME;
      xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                     reinterpret_cast<const char*>(&message));
      ++asked;
    }
  }
  xcb_flush(connection);
  xcb_disconnect(connection);
  std::printf("asked %d window(s) to close\n", asked);
  return asked > 0 ? 0 : 1;
}
