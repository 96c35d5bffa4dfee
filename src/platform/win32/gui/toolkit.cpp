#include "platform/win32/gui/win_toolkit.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace win32ui {

WinToolkit::WinToolkit() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  registerClasses(*this);
  // The captions use the font Windows uses for messages.
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font_ = CreateFontIndirectA(&metrics.lfMessageFont);
  if (!font_) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

WinToolkit::~WinToolkit() {
  if (font_ && font_ != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font_);
}

std::unique_ptr<ui::Window> WinToolkit::createWindow(const std::string& /*name*/, float width,
                                                     float height, float frameTwips) {
  return std::make_unique<WinWindow>(*this, "lptspool", width, height, frameTwips, false);
}

void WinToolkit::doEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    // The end of the program is for the message loop to see, not for a yield to swallow.
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatch(message);
  }
}

void dispatch(MSG& message) {
  const ::HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  char name[32] = "";
  if (root && GetClassNameA(root, name, sizeof name) &&
      (lstrcmpA(name, kFormClass) == 0 || lstrcmpA(name, kDialogClass) == 0) &&
      IsDialogMessageA(root, &message))
    return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

}  // namespace win32ui
