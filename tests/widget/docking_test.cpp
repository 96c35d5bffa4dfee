// Docking, the slide home and the drag by the top strip.
#include "shell_fixture.h"

TEST_F(ShellTest, WithoutABottomPanelItDocksInTheWorkAreasBottomRightCorner) {
  struct Case {
    const char* name;
    bool present;
    platform::RECT bar, work;
    float left;
  };
  const Case cases[] = {
      {"top", true, {0, 0, 1024, 30}, {0, 30, 1024, 768}, kDockedLeft},
      {"left", true, {0, 0, 60, 768}, {60, 0, 1024, 768}, kDockedLeft},
      {"right", true, {964, 0, 1024, 768}, {0, 0, 964, 768}, 964 * 15 - 1950},
      {"none", false, {}, {0, 0, 1024, 768}, kDockedLeft},
  };
  for (const Case& c : cases) {
    memory::MemoryToolkit host;
    host.win32_.taskbarPresent = c.present;
    host.win32_.taskbar = c.bar;
    host.screen_.work = c.work;
    frmMain other(host);
    other.Form_Load();
    EXPECT_FLOAT_EQ(other.window->top(), 768 * 15 - 1950) << c.name;
    EXPECT_FLOAT_EQ(other.window->left(), c.left) << c.name;
  }
}

TEST_F(ShellTest, StartUpDocksThenTheSlideRestsAtHomeAndTheDockedWindowFollowsThePanel) {
  start();
  EXPECT_FLOAT_EQ(form.window->left(), kDockedLeft);
  EXPECT_FLOAT_EQ(form.window->top(), kDockedTop);
  EXPECT_FALSE(tmrMove().enabled());
  form.window->setLeft(0);
  form.window->setTop(0);
  form.lblMove_DblClick();
  int ticks = 0;
  while (tmrMove().enabled() && ticks < 1000) {
    tmrMove().fire();
    ++ticks;
  }
  EXPECT_FALSE(tmrMove().enabled()) << "still sliding after " << ticks << " ticks";
  EXPECT_FLOAT_EQ(form.window->left(), kDockedLeft);
  EXPECT_FLOAT_EQ(form.window->top(), kDockedTop);

  win32().taskbar = {0, 700, 1024, 768};  // the panel grows
  screen().work = {0, 0, 1024, 700};
  form.Screen_WorkAreaChanged();
  EXPECT_FLOAT_EQ(form.window->top(), 700 * 15 - 1950);

  form.lblMove_DblClick();
  form.lblMove_MouseDown(ui::vbRightButton, 0, 10, 10);  // any button stops a slide
  EXPECT_FALSE(tmrMove().enabled());
}

TEST_F(ShellTest, OnlyTheLeftButtonAloneDragsAndADragStopsTheSlide) {
  start();
  form.lblMove_MouseDown(ui::vbLeftButton, 0, 300, 120);
  for (int buttons :
       {0, ui::vbRightButton, ui::vbLeftButton | ui::vbRightButton, ui::vbMiddleButton}) {
    form.lblMove_MouseMove(buttons, 0, 900, 900);
    EXPECT_FLOAT_EQ(form.window->left(), kDockedLeft) << buttons;
    EXPECT_FLOAT_EQ(form.window->top(), kDockedTop) << buttons;
  }
  form.lblMove_DblClick();
  form.lblMove_MouseMove(ui::vbLeftButton, 2, 310, 120);  // shift keys do not matter
  EXPECT_FALSE(tmrMove().enabled());
  EXPECT_FLOAT_EQ(form.window->left(), kDockedLeft + 10);
}

TEST_F(ShellTest, APanelAppearingLaterMovesTheWindowStillAtItsDockedPlace) {
  screen().work = {0, 0, 1024, 768};
  win32().taskbarPresent = false;
  start();
  EXPECT_FLOAT_EQ(form.window->top(), 768 * 15 - 1950);

  win32().taskbarPresent = true;
  screen().work = {0, 0, 1024, 738};
  form.Screen_WorkAreaChanged();
  EXPECT_FLOAT_EQ(form.window->top(), kDockedTop);
  EXPECT_FLOAT_EQ(form.window->left(), kDockedLeft);
}

TEST_F(ShellTest, AWindowPutElsewhereStaysWhenThePanelMoves) {
  start();
  form.lblMove_MouseDown(ui::vbLeftButton, 0, 0, 0);
  form.lblMove_MouseMove(ui::vbLeftButton, 0, -3000, -3000);
  win32().taskbar = {0, 700, 1024, 768};
  form.Screen_WorkAreaChanged();
  EXPECT_FLOAT_EQ(form.window->left(), kDockedLeft - 3000);
  EXPECT_FLOAT_EQ(form.window->top(), kDockedTop - 3000);
}
