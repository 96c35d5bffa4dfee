#include "platform/qt/x11_window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qtui {
namespace {

xcb_connection_t* x11Connection() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return result;
}

}  // namespace

void keepOffTaskbar(QWidget* window) {
  if (!window->isVisible() || !window->windowHandle()) return;
  xcb_connection_t* connection = x11Connection();
  if (!connection) return;
  // The window Qt mapped, which need not be the one the widget was first given.
  const auto id = static_cast<xcb_window_t>(window->windowHandle()->winId());
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  // EWMH: a mapped window asks the window manager with a client message to the root window.
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = id;
  event.type = atom(connection, "_NET_WM_STATE");
  event.data.data32[0] = 1;  // _NET_WM_STATE_ADD
  event.data.data32[1] = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
  event.data.data32[2] = atom(connection, "_NET_WM_STATE_SKIP_PAGER");
  event.data.data32[3] = 1;  // from a normal application
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection);
}

uint32_t watchTrayManager() {
  xcb_connection_t* connection = x11Connection();
  if (!connection) return 0;
  // The tray of the screen the display names (":0.1" is screen 1), as Qt looks for it.
  int screen = 0;
  const char* display = std::getenv("DISPLAY");
  const char* colon = display ? std::strrchr(display, ':') : nullptr;
  const char* dot = colon ? std::strchr(colon, '.') : nullptr;
  if (dot) screen = std::atoi(dot + 1);
  const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, atom(connection, name.c_str())), nullptr);
  const xcb_window_t manager = owner ? owner->owner : xcb_window_t{XCB_WINDOW_NONE};
  std::free(owner);
  if (manager == XCB_WINDOW_NONE) return 0;
  // Qt watches the same window with the same mask for its own tray code, so this changes
  // nothing for it.
  const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_generic_error_t* error = xcb_request_check(
      connection,
      xcb_change_window_attributes_checked(connection, manager, XCB_CW_EVENT_MASK, &mask));
  const bool gone = error != nullptr;
  std::free(error);
  return gone ? 0 : manager;
}

bool isDestroyOf(const void* event, uint32_t window) {
  const auto* generic = static_cast<const xcb_generic_event_t*>(event);
  if ((generic->response_type & 0x7f) != XCB_DESTROY_NOTIFY) return false;
  return reinterpret_cast<const xcb_destroy_notify_event_t*>(generic)->window == window;
}

}  // namespace qtui
