// Twips and pixels at the screen's logical dpi, text for the wide Windows calls, and the screen.
#include <cmath>

#include "platform/host_texts.h"
#include "platform/win32/gui/win_toolkit.h"
#include "platform/win32/wide_text.h"

namespace win32ui {

float twipsPerPixel(bool horizontal) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, horizontal ? LOGPIXELSX : LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return 1440.0f / static_cast<float>(dpi > 0 ? dpi : 96);
}

int toPixels(float twips, float perPixel) {
  return static_cast<int>(std::lround(twips / perPixel));
}

std::wstring widen(const std::string& text) {
  // A job's name arrives in the ANSI code page, the program's own texts in UTF-8.
  return platform::wideText(platform::shownText(text));
}

float WinScreen::width() const {
  return static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * twipsPerPixelX();
}

float WinScreen::height() const {
  return static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * twipsPerPixelY();
}

platform::RECT WinScreen::workArea() const {
  ::RECT area{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return {};
  return {area.left, area.top, area.right, area.bottom};
}

}  // namespace win32ui
