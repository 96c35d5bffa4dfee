// frmMain: the one window of the server. It owns all state (members, controls, timers, the tray
// record) for the life of the process. Each handler lives in the folder of its concern: spool/ the
// tick, start and stop; shell/ tray, visibility, docking and drag; app/ construction, start-up and
// the status button.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/spool_handle.h"
#include "platform/toolkit.h"
#include "platform/win32.h"

class frmList;
namespace queue {
class Tracker;
struct TickOutcome;
}  // namespace queue
class JobNames;
struct ReadyJob;

class frmMain {
 public:
  explicit frmMain(ui::Toolkit& toolkit);
  ~frmMain();
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Event handlers.
  void cmdClose_Click();
  void cmdShow_Click();
  void cmdStart_Click();
  void cmdStop_Click();
  void Form_Load();
  void Form_Resize();
  void lblMove_DblClick();
  void lblMove_MouseDown(int Button, int Shift, float X, float Y);
  void lblMove_MouseMove(int Button, int Shift, float X, float Y);
  void tmrMove_Timer();
  void tmrPrint_Timer();
  void Form_Unload();
  void pichook_MouseDown(int Button, int Shift, float X, float Y);
  // Follows the panel when it appears or moves while the window sits docked.
  void Screen_WorkAreaChanged();
  // Opens the job states of the spool folder (spool/job_tracking.cpp); part of start-up.
  void startTracking();
  // The tray went away with our icon in it: a hidden window would be out of reach.
  void pichook_TrayGone();

  // Members.
  float myX = 0;
  float myY = 0;
  int32_t lngDocuments = 0;
  std::string PrintingDir;
  platform::NOTIFYICONDATA nid{};

  // The window and its controls; owned by `window`.
  std::unique_ptr<ui::Window> window;
  ui::Label* lblMove = nullptr;
  ui::Button* cmdClose = nullptr;
  ui::Button* cmdStart = nullptr;
  ui::Button* cmdStop = nullptr;
  ui::Button* cmdShow = nullptr;
  ui::PictureBox* pichook = nullptr;
  ui::Timer* tmrMove = nullptr;
  ui::Timer* tmrPrint = nullptr;

  // The document list (app/frm_list.cpp), made when first asked for.
  std::unique_ptr<frmList> list;
  // Job states and what is said of them (null when the private folder cannot be had).
  std::unique_ptr<queue::Tracker> tracker;
  // The printer as last checked (app/printer_check.h): at start-up, and again while it fails.
  bool printerWorks = true;
  std::string printerCause;  // why it cannot work, said for people
  bool printerCups = false;  // lpt1 is the CUPS default destination
  bool printerFifo = false;  // lpt1 is a FIFO: never looked at again, its reader would see an end
  // Why nothing is printed from the spool folder (not the folder held, or not fit to use); empty
  // while it is used.
  std::string folderProblem;
  // The jobs the last tick refused until they change, and why the first of them is.
  std::int64_t refusedJobs = 0;
  std::string refusedCause;
  // One line on standard error, prefixed with the program's name.
  std::function<void(const std::string&)> say;

 private:
  // Status line (spool/server_control.cpp).
  void setStatus(const std::string& secondLine);
  // Tray record (shell/tray.cpp); false when the platform could not add the icon.
  bool addTrayIcon();
  void removeTrayIcon();
  // Docking (shell/docking.cpp).
  platform::RECT taskbarRect();
  float targetLeft();
  float targetTop();
  void placeDocked();
  // The sweep and one job of the tick (spool/tick.cpp).
  void sweepHelperFiles();
  void dispatchJob(const std::string& jobFileName, JobNames& jobNames);
  bool spoolFolderReady();
  // The tick's clock and settle time, taken once for all its jobs.
  struct Settling {
    std::int64_t nowNs;
    std::int64_t settleNs;
  };
  void judgeJob(const std::string& name, const Settling& settling, queue::TickOutcome& outcome,
                std::vector<ReadyJob>& ready, std::map<std::string, platform::JobLook>& changing);
  // What the tick found, told to the job states (spool/job_tracking.cpp).
  void afterTick(const queue::TickOutcome& outcome);
  // The warning on the status button and the tray icon, and the one notice per episode
  // (app/printer_warning.cpp). At start-up the window is about to be shown: no notice then.
  void updateWarning(bool mayNotify = true);

  ui::Toolkit& toolkit_;
  bool ticking_ = false;  // a tick is in its loop; a timer firing meanwhile is dropped
  // The jobs the last tick found still changing, as they were then.
  std::map<std::string, platform::JobLook> changing_;
  // Where the window was last put as docked, to tell whether it still sits there.
  float dockedLeft_ = 0;
  float dockedTop_ = 0;
  bool trayIconShown_ = false;          // our icon is in the tray (added and not removed since)
  std::set<std::string> pastFailures_;  // printer failures on record when a job last printed
  bool noticeGiven_ = false;            // the current warning has been told by a notification
};
