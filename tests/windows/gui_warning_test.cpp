// The warning as a user of the Win32 window meets it: the status button's pixels, caption and
// tooltip, and the tray's tooltip and marked icon.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

// The host's header first: it brings <windows.h> after its own names.
#include "platform/win32/gui/win_toolkit.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace {

using win32ui::WinToolkit;

constexpr COLORREF kWarningFace = RGB(0xff, 0xd7, 0x5e);
constexpr COLORREF kWarningBorder = RGB(0xc0, 0x39, 0x2b);

// The control's pixels as it paints them, counted by colour.
struct Pixels {
  std::vector<COLORREF> colours;
  int count(COLORREF c) const {
    int n = 0;
    for (COLORREF p : colours) n += p == c;
    return n;
  }
};

Pixels capture(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  Pixels out;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) out.colours.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return out;
}

void pump(WinToolkit& toolkit) {
  for (int i = 0; i < 5; ++i) toolkit.doEvents();
}

TEST(StatusButton, WarnsInColourWithItsCaptionAndATooltipAndStopsWhenTheWarningGoes) {
  WinToolkit toolkit;
  auto window = toolkit.createWindow("frmMain", 1950, 1950, 15);
  ASSERT_FALSE(toolkit.windowFailed);
  const std::string caption = "3 dokument i k\u00f6\r\nSkriver ut";
  auto* button = static_cast<win32ui::WinButton*>(
      window->addButton({"cmdShow", 0, 1200, 1935, 735, caption, 2, true}));
  window->show();
  pump(toolkit);
  const HWND hwnd = button->native();
  const Pixels plain = capture(hwnd);
  EXPECT_EQ(plain.count(kWarningFace), 0);

  const std::string cause = "Skrivaren fungerar inte. Mappen C:\\Utskrivet finns inte.";
  button->setWarning(cause);
  pump(toolkit);
  const Pixels warned = capture(hwnd);
  // Most of the face is the warning colour, inside a red border; the caption is unchanged.
  EXPECT_GT(warned.count(kWarningFace), static_cast<int>(warned.colours.size()) / 2);
  EXPECT_GT(warned.count(kWarningBorder), 0);
  EXPECT_LT(warned.count(kWarningFace), static_cast<int>(warned.colours.size()));  // the text
  EXPECT_EQ(button->caption(), caption);
  wchar_t shown[64] = L"";
  GetWindowTextW(hwnd, shown, 64);
  EXPECT_STREQ(shown, L"3 dokument i k\u00f6\r\nSkriver ut");
  EXPECT_EQ(button->toolTipText(), win32ui::widen(cause));

  // A click still reaches the program while the warning is on.
  int clicks = 0;
  button->Click = [&clicks] { ++clicks; };
  SendMessageW(hwnd, BM_CLICK, 0, 0);
  pump(toolkit);
  EXPECT_EQ(clicks, 1);

  button->setWarning("");
  pump(toolkit);
  EXPECT_EQ(capture(hwnd).count(kWarningFace), 0);
  EXPECT_EQ(button->toolTipText(), L"");
}

TEST(TrayTip, KeepsSwedishLettersAndCutsLongTextsWhereALetterEnds) {
  EXPECT_EQ(win32ui::trayTip("lptspool: 3 dokument i k\u00f6. R\u00e4kning.ps"),
            L"lptspool: 3 dokument i k\u00f6. R\u00e4kning.ps");
  EXPECT_EQ(win32ui::trayTip(std::string(127, 'a')), std::wstring(127, L'a'));
  struct Case {
    std::string text;
    std::wstring endsWith;  // what the cut leaves before its ellipsis
  } cases[] = {
      {std::string(200, 'a'), L"aaa"},
      // A character outside the basic plane (two UTF-16 units) across the cut goes whole.
      {std::string(125, 'a') + "\xf0\x9f\x96\xa8" + std::string(10, 'b'), L"aaa"},
      // A letter and its combining ring (a + U+030A) are not parted.
      {std::string(124, 'a') + "xa\xcc\x8a" + std::string(10, 'b'), L"aax"},
  };
  for (const Case& c : cases) {
    const std::wstring tip = win32ui::trayTip(c.text);
    EXPECT_LE(tip.size(), 127u) << c.text;
    ASSERT_GE(tip.size(), 4u);
    EXPECT_EQ(tip.back(), L'\u2026');
    EXPECT_EQ(tip.substr(tip.size() - 4, 3), c.endsWith) << c.text;
  }
}

TEST(TrayIcon, CarriesTheMarkInItsLowerRightQuarterOnly) {
  const int size = 32;
  HICON base = LoadIcon(nullptr, IDI_APPLICATION);
  HICON marked = win32ui::markedIcon(base, size);
  ASSERT_NE(marked, nullptr);
  auto draw = [size](HICON icon) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
  };
  const std::vector<COLORREF> before = draw(base), after = draw(marked);
  int changedInCorner = 0, changedElsewhere = 0;
  const int from = size - (size / 2 + size / 8);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      // Edges blended again may move by a shade; the mark changes a pixel plainly.
      const COLORREF a = before[y * size + x], b = after[y * size + x];
      const bool differs = std::abs(GetRValue(a) - GetRValue(b)) +
                               std::abs(GetGValue(a) - GetGValue(b)) +
                               std::abs(GetBValue(a) - GetBValue(b)) >
                           24;
      (x >= from && y >= from ? changedInCorner : changedElsewhere) += differs;
    }
  EXPECT_GT(changedInCorner, (size - from) * (size - from) / 4);
  EXPECT_EQ(changedElsewhere, 0);
  DestroyIcon(marked);
}

}  // namespace
