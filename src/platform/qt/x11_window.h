// What Qt does not say to an X11 window manager on its own.
#pragma once

#include <cstdint>

class QWidget;

namespace qtui {

// Keeps the shown window off the taskbar and the pager. Call it after each show: a window manager
// drops a window's state when the window is hidden (withdrawn). Does nothing on other platforms.
void keepOffTaskbar(QWidget* window);

// The XEmbed tray manager's window, now told to report its destruction to us; 0 when there is no
// tray manager (or no X11).
uint32_t watchTrayManager();
// Whether an X event (an xcb_generic_event_t) is the destruction of that window.
bool isDestroyOf(const void* event, uint32_t window);

}  // namespace qtui
