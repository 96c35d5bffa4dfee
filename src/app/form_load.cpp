// Start-up and the status button.
#include <cstdio>

#include "app/frm_list.h"
#include "app/frm_main.h"
#include "app/spool_folder.h"
#include "platform/dos_path.h"
#include "platform/files.h"
#include "platform/process.h"
#include "queue/job_state.h"
#include "text/text.h"
#include "ui_text/ui_text.h"

void frmMain::Form_Load() {
  placeDocked();
  addTrayIcon();
  // main() refuses a command line without a usable folder before the window exists; should one
  // reach here all the same, the folder stays empty and no folder is ever swept.
  Refusal refusal;
  if (!readPrintingDir(platform::commandLine(), PrintingDir, refusal)) PrintingDir.clear();
  MkDirX(PrintingDir);
  // The server runs on all the same and prints once the folder exists, as when it is deleted
  // later; but a folder that cannot be made is most often a mistyped one, and silence hides it.
  std::string host;
  if (!PrintingDir.empty() && !platform::FolderExists(PrintingDir) &&
      platform::toHostPath(PrintingDir, host))
    std::fprintf(stderr,
                 "lptspool: the spool folder %s cannot be created; waiting for it to exist\n",
                 queue::printableText(host).c_str());
  startTracking();
  setStatus(uitext::text(uitext::T::Stopped));
  // The window is not shown yet, but is about to be: a notice now would go to a tray icon that
  // goes with the first show, and spend the episode's one notice on nobody.
  updateWarning(false);
  toolkit_.doEvents();
  cmdStart_Click();
  toolkit_.doEvents();
}

void frmMain::cmdShow_Click() {
  if (window->height() != 1950) window->setHeight(1950);
  // The button's caption promises every document: it opens the list of them.
  if (!list) list = std::make_unique<frmList>(toolkit_, *this);
  list->Show();
}
