// The window and its controls, as laid out in twips.
#include "app/frm_main.h"

#include <cstdio>

#include "app/frm_list.h"
#include "queue/job_list.h"
#include "ui_text/ui_text.h"

namespace {

constexpr float kOuter = 1950;  // 1920 of client area inside a 15-twip frame
constexpr float kFrame = 15;
constexpr int kMoveInterval = 10;
constexpr int kPrintInterval = 7000;

}  // namespace

using uitext::T;

frmMain::frmMain(ui::Toolkit& toolkit) : toolkit_(toolkit) {
  say = [](const std::string& line) { std::fprintf(stderr, "lptspool: %s\n", line.c_str()); };
  window = toolkit_.createWindow("frmMain", kOuter, kOuter, kFrame);
  // Created in tab order; the strip and the "-" button come after the server's buttons.
  cmdStart =
      window->addButton({"cmdStart", 0, 240, 975, 975, uitext::text(T::StartServer), 0, true});
  cmdStop =
      window->addButton({"cmdStop", 960, 240, 975, 975, uitext::text(T::StopServer), 1, false});
  cmdShow = window->addButton({"cmdShow", 0, 1200, 1935, 735, std::string(35, '.'), 2, false});
  lblMove = window->addLabel({"lblMove", 0, 0, 1695, 255, "", 3, true});
  pichook = window->addPictureBox({"pichook", 480, 1320, 255, 495, "", 4, true});
  cmdClose =
      window->addButton({"cmdClose", 1680, 0, 255, 255, uitext::text(T::HideToTray), 5, true});
  cmdClose->setFont({"MS Sans Serif", 24, 700});
  tmrMove = window->addTimer("tmrMove", kMoveInterval);
  tmrPrint = window->addTimer("tmrPrint", kPrintInterval);
  toolkit_.setTrayMenuTexts(uitext::text(T::TrayShowWindow), uitext::text(T::TrayToCorner));

  cmdStart->Click = [this] { cmdStart_Click(); };
  cmdStop->Click = [this] { cmdStop_Click(); };
  cmdShow->Click = [this] { cmdShow_Click(); };
  cmdClose->Click = [this] { cmdClose_Click(); };
  lblMove->MouseDown = [this](int b, int s, float x, float y) { lblMove_MouseDown(b, s, x, y); };
  lblMove->MouseMove = [this](int b, int s, float x, float y) { lblMove_MouseMove(b, s, x, y); };
  lblMove->DblClick = [this] { lblMove_DblClick(); };
  pichook->MouseDown = [this](int b, int s, float x, float y) { pichook_MouseDown(b, s, x, y); };
  pichook->TrayGone = [this] { pichook_TrayGone(); };
  tmrMove->Tick = [this] { tmrMove_Timer(); };
  tmrPrint->Tick = [this] { tmrPrint_Timer(); };
  window->Resize = [this] { Form_Resize(); };
  window->WorkAreaChanged = [this] { Screen_WorkAreaChanged(); };
}

frmMain::~frmMain() {
  // Destroying the window is the end of the process: the tray icon must not outlive it.
  tmrMove->setEnabled(false);
  tmrPrint->setEnabled(false);
  Form_Unload();
  // A job printed since the last tick is said before the server goes.
  if (tracker) tracker->finish();
  window->Resize = nullptr;
  window->WorkAreaChanged = nullptr;
  pichook->TrayGone = nullptr;
}
