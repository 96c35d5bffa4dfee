// The controls on Win32: BUTTON windows, the drag strip and the tray's picture box, timers. Mouse
// positions reach the handlers in twips, buttons and shift keys numbered as the system does.
#include "platform/win32/gui/win_toolkit.h"
// clang-format off
#include <windowsx.h>
// clang-format on

namespace win32ui {
namespace {

int shiftOf(WPARAM wParam) {
  int mask = 0;
  if (wParam & MK_SHIFT) mask |= 1;
  if (wParam & MK_CONTROL) mask |= 2;
  if (GetKeyState(VK_MENU) < 0) mask |= 4;
  return mask;
}

int buttonsOf(WPARAM wParam) {
  int mask = 0;
  if (wParam & MK_LBUTTON) mask |= ui::vbLeftButton;
  if (wParam & MK_RBUTTON) mask |= ui::vbRightButton;
  if (wParam & MK_MBUTTON) mask |= ui::vbMiddleButton;
  return mask;
}

// The button a press message is about; 0 for any other message.
int pressed(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
      return ui::vbLeftButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      return ui::vbRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      return ui::vbMiddleButton;
    default:
      return 0;
  }
}

float twipsX(LPARAM lParam) {
  return static_cast<float>(GET_X_LPARAM(lParam)) * twipsPerPixel(true);
}
float twipsY(LPARAM lParam) {
  return static_cast<float>(GET_Y_LPARAM(lParam)) * twipsPerPixel(false);
}

}  // namespace

WinButton::WinButton(::HWND parent, const ui::ControlLayout& layout, float frame, int id,
                     HFONT font) {
  create("BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, parent, layout, frame,
         id);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  setCaption(layout.caption);
}

WinButton::~WinButton() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  if (tip_) DestroyWindow(tip_);
  if (ownFont_) DeleteObject(ownFont_);
}

void WinButton::setCaption(const std::string& caption) {
  caption_ = caption;
  // The button wraps at spaces and keeps the caption's own CR LF line breaks.
  SetWindowTextW(hwnd_, widen(caption).c_str());
}

void WinButton::setFont(const ui::FontStyle& style) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  // "MS Sans Serif" is a bitmap font; Windows puts its outline successor in its place.
  HFONT font =
      CreateFontA(-MulDiv(static_cast<int>(style.points + 0.5f), dpi, 72), 0, 0, 0, style.weight,
                  FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, style.family.c_str());
  if (!font) return;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (ownFont_) DeleteObject(ownFont_);
  ownFont_ = font;
}

WinLabel::WinLabel(::HWND parent, const ui::ControlLayout& layout, float frame, int id) {
  create(kStripClass, WS_VISIBLE, parent, layout, frame, id);
}

LRESULT WinLabel::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      // Held while a button is down, so a quick drag that outruns the strip keeps moving it.
      SetCapture(hwnd_);
      if (MouseDown) MouseDown(pressed(message), shiftOf(wParam), twipsX(lParam), twipsY(lParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      // The first press of a double click has already gone to MouseDown.
      if (DblClick) DblClick();
      return 0;
    case WM_MOUSEMOVE:
      if (MouseMove) MouseMove(buttonsOf(wParam), shiftOf(wParam), twipsX(lParam), twipsY(lParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

WinPictureBox::WinPictureBox(::HWND parent, const ui::ControlLayout& layout, float frame, int id) {
  // It only receives the tray's messages: never shown.
  create(kHookClass, 0, parent, layout, frame, id);
}

LRESULT WinPictureBox::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // The tray's callback message is WM_LBUTTONDOWN with the icon's mouse message as lParam: it
  // arrives here as a left press whose X is that message, as on any picture box.
  const int button = pressed(message);
  if (button && message != WM_RBUTTONDBLCLK && message != WM_MBUTTONDBLCLK) {
    if (MouseDown) MouseDown(button, shiftOf(wParam), twipsX(lParam), twipsY(lParam));
    return 0;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void WinTimer::setInterval(int milliseconds) {
  interval_ = milliseconds;
  if (active_) SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr);
}

void WinTimer::setEnabled(bool enabled) {
  // Switching a running timer on again leaves its interval running.
  if (enabled && !active_) {
    active_ = SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr) != 0;
  } else if (!enabled && active_) {
    KillTimer(owner_, id_);
    active_ = false;
  }
}

void WinTimer::fire() {
  // A WM_TIMER already queued when the timer was switched off is not a tick.
  if (active_ && Tick) Tick();
}

}  // namespace win32ui
