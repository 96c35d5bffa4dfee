// A frmMain on the in-memory toolkit, with its own spool folder and its own program folder
// holding the shipped launcher template.
#pragma once

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
  }
  ~FormTest() override { platform::overrideAppPath(""); }
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
