// The tray icon's tooltip on Win32: Swedish letters kept, and a long text cut where a letter
// ends. (What the warning looks like on the screen is the window test's.)
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/gui/win_toolkit.h"

namespace {

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

}  // namespace
