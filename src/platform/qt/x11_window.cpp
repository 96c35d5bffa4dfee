#include "platform/qt/x11_window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>

namespace qtui {
namespace {

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
  if (QGuiApplication::platformName() != QLatin1String("xcb") || !window->isVisible() ||
      !window->windowHandle())
    return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
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

}  // namespace qtui
