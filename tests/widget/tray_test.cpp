// The tray icon and the window's visibility: the record, the show/resize rule, "-", the icon's
// mouse messages and the end of the process.
#include "shell_fixture.h"

using platform::NIM_ADD;
using platform::NIM_DELETE;

TEST_F(ShellTest, StartUpAddsTheIconThenTheFirstShowMakesTheWindowTopmostAndRemovesIt) {
  form.Form_Load();
  ASSERT_EQ(win32().trayCalls.size(), 1u);
  EXPECT_EQ(win32().trayCalls[0].message, NIM_ADD);
  // The icon's messages go to the picture box; its tooltip is the title.
  const platform::NOTIFYICONDATA added = win32().trayCalls[0].record;
  EXPECT_EQ(added.hWnd, form.pichook->hWnd());
  EXPECT_EQ(added.hIcon, form.window->icon());
  EXPECT_STREQ(added.szTip, "lptspool");
  EXPECT_FALSE(window().visible());

  form.window->show();
  EXPECT_TRUE(window().visible());
  ASSERT_EQ(win32().trayCalls.size(), 2u);
  EXPECT_EQ(lastTrayMessage(), NIM_DELETE);
  EXPECT_EQ(win32().trayCalls[1].record.hWnd, added.hWnd);  // the icon that was added
  EXPECT_EQ(win32().trayCalls[1].record.uID, added.uID);
  EXPECT_FALSE(win32().iconPresent);
  ASSERT_EQ(win32().topmostCalls.size(), 1u);
  EXPECT_EQ(win32().topmostCalls[0], form.window->hWnd());
}

// The server keeps printing while hidden; the count is current on return.
TEST_F(ShellTest, HideToTrayThenDoubleClickBringsItBackWhereItWasOnTop) {
  start();
  form.window->setLeft(4000);
  form.window->setTop(3000);
  form.cmdClose_Click();
  EXPECT_FALSE(window().visible());
  EXPECT_EQ(lastTrayMessage(), NIM_ADD);
  EXPECT_TRUE(win32().iconPresent);
  ASSERT_TRUE(tmrPrint().enabled());
  tmrPrint().fire();

  trayMessage(platform::WM_LBUTTONDBLCLK);
  EXPECT_TRUE(window().visible());
  EXPECT_FLOAT_EQ(form.window->left(), 4000);
  EXPECT_FLOAT_EQ(form.window->top(), 3000);
  EXPECT_EQ(win32().topmostCalls.size(), 2u);
  EXPECT_FALSE(win32().iconPresent);
  EXPECT_FALSE(tmrMove().enabled());
  EXPECT_EQ(form.cmdShow->caption(), "Visa alla dokument\r\n0 dokument i kö");
}

TEST_F(ShellTest, RightClickShowsTheWindowAndSlidesItHomeLeavingTheIcon) {
  start();
  form.cmdClose_Click();
  const size_t calls = win32().trayCalls.size();
  trayMessage(platform::WM_RBUTTONUP);
  EXPECT_TRUE(window().visible());
  EXPECT_TRUE(tmrMove().enabled());
  EXPECT_EQ(win32().trayCalls.size(), calls);
  EXPECT_TRUE(win32().iconPresent);
  // Hidden again, adding the icon fails because it is still there: no reason to show the window.
  form.cmdClose_Click();
  EXPECT_FALSE(window().visible());
  EXPECT_TRUE(win32().iconPresent);
  trayMessage(platform::WM_LBUTTONDBLCLK);
  EXPECT_TRUE(window().visible());
  EXPECT_FALSE(win32().iconPresent);
}

// The message comes in twips, rounded at the screen's factor; button, shift and Y are not used.
TEST_F(ShellTest, OtherTrayMessagesDoNothing) {
  screen().twipsX = 12;  // 120 dpi
  start();
  form.cmdClose_Click();
  const size_t calls = win32().trayCalls.size();
  for (uint32_t message : {0x200u, 0x201u, 0x202u, 0x204u, 0x206u, 0x207u, 0x208u, 0x209u}) {
    form.pichook_MouseDown(1, 0, message * 12.0f, 0);
    EXPECT_FALSE(window().visible()) << message;
    EXPECT_FALSE(tmrMove().enabled()) << message;
  }
  EXPECT_EQ(win32().trayCalls.size(), calls);
  form.pichook_MouseDown(2, 1, 0x203 * 12.0f + 5.9f, 77);
  EXPECT_TRUE(window().visible());
}

TEST_F(ShellTest, WithoutATrayTheWindowStaysOrComesBack) {
  start();
  form.window->setLeft(4000);
  form.cmdClose_Click();
  form.pichook_TrayGone();
  EXPECT_TRUE(window().visible());
  EXPECT_FLOAT_EQ(form.window->left(), 4000);
  EXPECT_EQ(win32().topmostCalls.size(), 2u);
  EXPECT_FALSE(win32().iconPresent);

  // Shown by a right click, the window keeps sliding; the icon left behind is let go.
  form.cmdClose_Click();
  trayMessage(platform::WM_RBUTTONUP);
  form.pichook_TrayGone();
  EXPECT_TRUE(window().visible());
  EXPECT_TRUE(tmrMove().enabled());
  EXPECT_FALSE(win32().iconPresent);
  form.cmdClose_Click();  // a new tray takes the icon again
  EXPECT_FALSE(window().visible());
  EXPECT_TRUE(win32().iconPresent);

  // No tray at all: hiding leaves the window visible, on top again.
  form.pichook_TrayGone();
  win32().trayAvailable = false;
  const size_t topmost = win32().topmostCalls.size();
  form.cmdClose_Click();
  EXPECT_TRUE(window().visible());
  EXPECT_EQ(win32().topmostCalls.size(), topmost + 1);
}

TEST_F(ShellTest, UnloadAndDestructionRemoveTheIcon) {
  start();
  form.cmdClose_Click();
  form.Form_Unload();
  EXPECT_EQ(lastTrayMessage(), NIM_DELETE);
  EXPECT_FALSE(win32().iconPresent);

  memory::MemoryToolkit other;
  {
    frmMain second(other);
    second.Form_Load();
    EXPECT_TRUE(other.win32_.iconPresent);
  }
  EXPECT_FALSE(other.win32_.iconPresent);
}
