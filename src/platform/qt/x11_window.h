// What Qt does not say to an X11 window manager on its own.
#pragma once

class QWidget;

namespace qtui {

// Keeps the shown window off the taskbar and the pager. Call it after each show: a window manager
// drops a window's state when the window is hidden (withdrawn). Does nothing on other platforms.
void keepOffTaskbar(QWidget* window);

}  // namespace qtui
