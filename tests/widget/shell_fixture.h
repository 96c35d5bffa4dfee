// frmMain on the in-memory toolkit after its start-up, with a spool folder of its own: a 1024 x 768
// screen at 15 twips per pixel and a 30-pixel panel along the bottom.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../unit/temp_folder.h"
#include "app/frm_main.h"
#include "platform/memory/memory_toolkit.h"
#include "platform/process.h"

class ShellTest : public ::testing::Test {
 protected:
  static constexpr float kDockedLeft = 1024 * 15 - 1950;  // 13410
  static constexpr float kDockedTop = 738 * 15 - 1950;    // 9120

  ShellTest() {
    const std::string option = "PRINTINGDIR=" + spool_.host() + "/";
    const char* argv[] = {"lptspool", option.c_str()};
    platform::setArguments(2, argv);
  }

  // Start-up as the program runs it: the handler, then the first show.
  void start() {
    form.Form_Load();
    form.window->show();
  }

  memory::MemoryWindow& window() { return static_cast<memory::MemoryWindow&>(*form.window); }
  memory::MemoryTimer& tmrMove() { return *window().timer("tmrMove"); }
  memory::MemoryTimer& tmrPrint() { return *window().timer("tmrPrint"); }
  memory::RecordingWin32& win32() { return toolkit.win32_; }
  memory::MemoryScreen& screen() { return toolkit.screen_; }
  // A mouse message from the tray icon, as the picture box reports it: X is the message in twips.
  void trayMessage(uint32_t message) { form.pichook_MouseDown(1, 0, message * 15.0f, 0); }
  uint32_t lastTrayMessage() { return win32().trayCalls.back().message; }

  memory::MemoryToolkit toolkit;
  frmMain form{toolkit};

 private:
  TempFolder spool_;
};
