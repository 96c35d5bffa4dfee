// A frmMain on the in-memory toolkit, with its own spool folder and its own program folder
// holding the shipped launcher template.
#pragma once

#include <cstdlib>
#include <filesystem>

#include "app/frm_main.h"
#include "platform/memory/memory_toolkit.h"
#include "platform/process.h"
#include "runtime_folder.h"
#include "temp_folder.h"

class FormTest : public RuntimeFolderTest {
 protected:
  FormTest() {
    std::filesystem::copy_file(std::string(LPTSPOOL_SOURCE_DIR) + "/data/print.txt",
                               program.path("print.txt"));
    std::string appDos = program.dos();
    appDos.pop_back();
    platform::overrideAppPath(appDos);
    form.PrintingDir = spool.dos();
    // A job written by the test a moment ago counts as complete; the tests of settling set
    // their own time.
    setSettleMs("0");
  }
  ~FormTest() override {
    platform::overrideAppPath("");
    setSettleMs("");
  }
  static void setSettleMs(const char* value) {
#ifdef _WIN32
    _putenv_s("LPTSPOOL_SETTLE_MS", value);
#else
    if (*value)
      setenv("LPTSPOOL_SETTLE_MS", value, 1);
    else
      unsetenv("LPTSPOOL_SETTLE_MS");
#endif
  }
  void SetUp() override {
    RuntimeFolderTest::SetUp();
    form.say = [this](const std::string& line) { said.push_back(line); };
    form.startTracking();
  }

  memory::MemoryWindow& window() { return static_cast<memory::MemoryWindow&>(*form.window); }
  memory::MemoryTimer& timer(const char* name) { return *window().timer(name); }
  std::string status() { return form.cmdShow->caption(); }
  void tick() { form.tmrPrint_Timer(); }
  std::vector<memory::ShellCall>& started() { return toolkit.win32_.shellCalls; }
  std::string templ() { return program.read("print.txt"); }

  TempFolder spool;
  std::vector<std::string> said;  // the server's lines on stderr
  TempFolder program;
  memory::MemoryToolkit toolkit;
  frmMain form{toolkit};
};
