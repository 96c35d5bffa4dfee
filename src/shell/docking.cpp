// Docking: the window's home is flush with the work area's right edge, its bottom on the top of
// the taskbar. It slides home one fifteenth of the way per tick and can be dragged by its top
// strip.
#include <cmath>

#include "app/frm_main.h"

platform::RECT frmMain::taskbarRect() {
  platform::RECT rect;
  platform::Win32& win32 = toolkit_.win32();
  win32.GetWindowRect(win32.FindWindowA("Shell_TrayWnd", ""), &rect);
  return rect;
}

float frmMain::targetLeft() {
  // Against the work area's right edge, not the screen's: a panel on the right would cover the
  // window otherwise.
  const ui::Screen& screen = toolkit_.screen();
  return static_cast<float>(screen.workArea().right) * screen.twipsPerPixelX() - window->width();
}

float frmMain::targetTop() {
  const ui::Screen& screen = toolkit_.screen();
  const platform::RECT taskbar = taskbarRect();
  // A panel at the top or a side, or none, has its top at 0: the window would dock above the
  // screen, out of sight. It docks on the bottom of the work area then.
  const float bottom = taskbar.top > 0 ? static_cast<float>(taskbar.top)
                                       : static_cast<float>(screen.workArea().bottom);
  return bottom * screen.twipsPerPixelY() - window->height();
}

void frmMain::placeDocked() {
  dockedTop_ = targetTop();
  dockedLeft_ = targetLeft();
  window->setTop(dockedTop_);
  window->setLeft(dockedLeft_);
}

void frmMain::tmrMove_Timer() {
  const float left = window->left();
  const float top = window->top();
  // The target is where the window now counts as docked, so a window that slid home follows
  // the panel like one placed there at start-up.
  dockedLeft_ = targetLeft();
  dockedTop_ = targetTop();
  const float nextLeft = (dockedLeft_ - left) / 15 + left;
  const float nextTop = (dockedTop_ - top) / 15 + top;
  // Within half a pixel the window is home: it rests there and the timer stops, so an idle
  // server does not wake a hundred times a second. A panel that moves later is followed through
  // the work area's change, as for a window placed there at start-up.
  const ui::Screen& screen = toolkit_.screen();
  if (std::fabs(dockedLeft_ - nextLeft) < screen.twipsPerPixelX() / 2 &&
      std::fabs(dockedTop_ - nextTop) < screen.twipsPerPixelY() / 2) {
    window->setLeft(dockedLeft_);
    window->setTop(dockedTop_);
    tmrMove->setEnabled(false);
    return;
  }
  window->setLeft(nextLeft);
  window->setTop(nextTop);
}

void frmMain::lblMove_MouseDown(int /*Button*/, int /*Shift*/, float X, float Y) {
  tmrMove->setEnabled(false);
  myX = X;
  myY = Y;
}

void frmMain::lblMove_MouseMove(int Button, int /*Shift*/, float X, float Y) {
  if (Button != ui::vbLeftButton) return;
  tmrMove->setEnabled(false);
  window->setLeft(window->left() + X - myX);
  window->setTop(window->top() + Y - myY);
}

void frmMain::lblMove_DblClick() {
  tmrMove->setEnabled(true);
}

void frmMain::Screen_WorkAreaChanged() {
  // Only a window still at its docked place follows the panel; one the user put elsewhere stays.
  const float pixelX = toolkit_.screen().twipsPerPixelX();
  const float pixelY = toolkit_.screen().twipsPerPixelY();
  if (std::fabs(window->left() - dockedLeft_) < pixelX &&
      std::fabs(window->top() - dockedTop_) < pixelY)
    placeDocked();
}
