// What the window does with its messages: buttons and timers, the list window's layout when it is
// resized, the docked window's frame, the desktop's changes and the end of the session.
#include <algorithm>

#include "platform/win32/gui/win_toolkit.h"

namespace win32ui {
namespace {

UINT taskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

}  // namespace

void WinWindow::layoutDialog(SIZE client) {
  if (placed_.empty() || !table_) return;
  const int dx = client.cx - firstClient_.cx, dy = client.cy - firstClient_.cy;
  ::RECT table{};
  for (const Placed& p : placed_)
    if (p.hwnd == table_->native()) table = p.rect;
  HDWP moves = BeginDeferWindowPos(static_cast<int>(placed_.size()));
  for (const Placed& p : placed_) {
    ::RECT r = p.rect;
    if (p.hwnd == table_->native()) {
      r.right += dx;
      r.bottom += dy;
    } else if (r.top >= table.bottom) {
      OffsetRect(&r, r.left > firstClient_.cx / 2 ? dx : 0, dy);
    } else {
      r.right += dx;  // the line above the list
    }
    if (moves)
      moves = DeferWindowPos(moves, p.hwnd, nullptr, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (moves) EndDeferWindowPos(moves);
  table_->fitLastColumn();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void WinWindow::paintFrame(HDC dc) {
  ::RECT all;
  GetClientRect(hwnd_, &all);
  FillRect(dc, &all, GetSysColorBrush(COLOR_3DDKSHADOW));
  const int border = std::max(1, toPixels(frame_, twipsPerPixel(true)));
  ::RECT face = {all.left + border, all.top + border, all.right - border, all.bottom - border};
  FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT WinWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const auto found = buttons_.find(LOWORD(wParam));
      if (HIWORD(wParam) == BN_CLICKED && found != buttons_.end()) found->second->click();
      return 0;
    }
    case WM_TIMER: {
      const auto found = timers_.find(wParam);
      if (found != timers_.end()) found->second->fire();
      return 0;
    }
    case WM_SIZE: {
      const SIZE now = {LOWORD(lParam), HIWORD(lParam)};
      const bool changed = now.cx != size_.cx || now.cy != size_.cy;
      size_ = now;
      if (dialog_ && changed && wParam != SIZE_MINIMIZED) layoutDialog(now);
      if (shownOnce_ && changed && wParam != SIZE_MINIMIZED && Resize) Resize();
      return 0;
    }
    case WM_GETMINMAXINFO:
      if (dialog_ && minimum_.cx > 0) {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {minimum_.cx, minimum_.cy};
        return 0;
      }
      return DefWindowProcA(hwnd_, message, wParam, lParam);
    case WM_NOTIFYFORMAT:
      // The list's notifications carry wide text, as every text we give it.
      if (lParam == NF_QUERY) return NFR_UNICODE;
      return DefWindowProcA(hwnd_, message, wParam, lParam);
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (table_ && header && header->hwndFrom == table_->native() && table_->notify(header))
        return 0;
      return DefWindowProcA(hwnd_, message, wParam, lParam);
    }
    case WM_MOVE:
      syncPlace();
      return 0;
    case WM_ERASEBKGND:
      if (dialog_) return DefWindowProcA(hwnd_, message, wParam, lParam);
      paintFrame(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA && WorkAreaChanged) WorkAreaChanged();
      return 0;
    case WM_DISPLAYCHANGE:
      if (WorkAreaChanged) WorkAreaChanged();
      return 0;
    case WM_DPICHANGED:
      // Moved to a screen of another scale: the list takes the size Windows suggests; the
      // docked window keeps its size in twips and docks again.
      if (dialog_) {
        const auto* suggested = reinterpret_cast<const ::RECT*>(lParam);
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
      } else if (WorkAreaChanged) {
        WorkAreaChanged();
      }
      return 0;
    case WM_CLOSE:
      if (dialog_) {
        hide();
        return 0;
      }
      // No close box, but Alt+F4 or an uninstaller asks: the program ends the orderly way, by
      // leaving the message loop, rather than hiding the window with no icon to bring it back.
      PostQuitMessage(0);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    default:
      if (message == taskbarCreatedMessage()) {
        toolkit_.services().taskbarCreated();
        return 0;
      }
      return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

}  // namespace win32ui
