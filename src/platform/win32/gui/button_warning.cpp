// The status button's warning on Win32: while it is on, the button paints itself in the warning
// colour with a red border and the system's warning mark, keeping its caption and font, and a
// tooltip says why. Otherwise the button is the system's own, untouched.
#include <algorithm>

#include "platform/win32/gui/win_toolkit.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace win32ui {
namespace {

const wchar_t kButtonProperty[] = L"lptspoolWarningButton";

LRESULT CALLBACK warningButtonProc(::HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* button = static_cast<WinButton*>(GetPropW(hwnd, kButtonProperty));
  return button ? button->subclassed(message, wParam, lParam)
                : DefWindowProcW(hwnd, message, wParam, lParam);
}

int scaled(int pixels) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return MulDiv(pixels, dpi > 0 ? dpi : 96, 96);
}

}  // namespace

void WinButton::setWarning(const std::string& toolTip) {
  if (toolTip == warning_) return;
  warning_ = toolTip;
  if (!original_) {
    // Subclassed once, for good: with no warning every message goes straight through.
    SetPropW(hwnd_, kButtonProperty, this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&warningButtonProc)));
  }
  if (!tip_) {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0,
                           0, 0, GetAncestor(hwnd_, GA_ROOT), nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    // A long cause wraps instead of running off the screen.
    if (tip_) SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, scaled(320));
  }
  if (tip_) {
    std::wstring text = widen(toolTip);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(hwnd_);
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = text.data();
    SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!toolTip.empty()) SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

std::wstring WinButton::toolTipText() const {
  if (!tip_) return L"";
  wchar_t text[1024] = L"";
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = GetParent(hwnd_);
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  tool.lpszText = text;
  if (!SendMessageW(tip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) return L"";
  SendMessageW(tip_, TTM_GETTEXTW, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&tool));
  return text;
}

LRESULT WinButton::subclassed(UINT message, WPARAM wParam, LPARAM lParam) {
  const bool warning = !warning_.empty();
  switch (message) {
    case WM_PAINT:
      if (warning) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd_, &paint);
        paintWarning(dc);
        EndPaint(hwnd_, &paint);
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      if (warning) {
        paintWarning(reinterpret_cast<HDC>(wParam));
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      if (warning) return 1;  // the whole face is painted
      break;
    case WM_NCDESTROY: {
      const WNDPROC original = original_;
      RemovePropW(hwnd_, kButtonProperty);
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      return CallWindowProcW(original, hwnd_, message, wParam, lParam);
    }
    default:
      break;
  }
  const LRESULT result = CallWindowProcW(original_, hwnd_, message, wParam, lParam);
  // The system's button draws its new state at once, outside WM_PAINT: ours goes over it.
  if (warning) {
    switch (message) {
      case BM_SETSTATE:
      case BM_SETSTYLE:
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
      case WM_ENABLE:
      case WM_SETTEXT:
      case WM_SETFONT:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_LBUTTONUP:
      case WM_MOUSEMOVE:
      case WM_MOUSELEAVE:
      case WM_CAPTURECHANGED:
      case WM_UPDATEUISTATE:
      case WM_THEMECHANGED:
        InvalidateRect(hwnd_, nullptr, FALSE);
        break;
      default:
        break;
    }
  }
  return result;
}

void WinButton::paintWarning(HDC dc) {
  ::RECT face{};
  GetClientRect(hwnd_, &face);
  const bool pushed = (SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  // The colours of the warning on every host: a warm yellow face inside a red border.
  HBRUSH yellow = CreateSolidBrush(RGB(0xff, 0xd7, 0x5e));
  HBRUSH red = CreateSolidBrush(RGB(0xc0, 0x39, 0x2b));
  FillRect(dc, &face, yellow);
  ::RECT border = face;
  for (int i = 0; i < std::max(2, scaled(2)); ++i) {
    FrameRect(dc, &border, red);
    InflateRect(&border, -1, -1);
  }
  DeleteObject(yellow);
  DeleteObject(red);

  // The caption as the system's button shows it: centred, wrapped at spaces, its own line
  // breaks kept, one pixel down and right while pressed.
  std::wstring text = widen(caption_);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, IsWindowEnabled(hwnd_) ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
  ::RECT area = border;
  InflateRect(&area, -2, -1);
  ::RECT measured = area;
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
  const LONG height = measured.bottom - measured.top;
  area.top += std::max<LONG>(0, ((area.bottom - area.top) - height) / 2);
  if (pushed) OffsetRect(&area, 1, 1);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
  if (oldFont) SelectObject(dc, oldFont);

  // The mark in the corner, where it takes no room from the two lines of the caption.
  const int mark = scaled(12);
  HICON icon = static_cast<HICON>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32515), IMAGE_ICON, 0, 0, LR_SHARED));  // IDI_WARNING
  if (icon) DrawIconEx(dc, 3, 3, icon, mark, mark, 0, nullptr, DI_NORMAL);
  if (GetFocus() == hwnd_) {
    ::RECT focus = face;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace win32ui
