// lptspool: a folder print server. Every seven seconds it sends each .ps job waiting in the spool
// folder, raw, to the printer behind lpt1.
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/frm_main.h"
#include "app/printer_check.h"
#include "app/spool_folder.h"
#include "app/start_refusal.h"
#include "platform/desktop.h"
#include "platform/host_texts.h"
#include "platform/process.h"
#include "platform/single_server.h"
#include "platform/spool_handle.h"
#include "ui_text/ui_text.h"

int main(int argc, char** argv) {
  bool listQueue = false, check = false;
  for (int i = 1; i < argc; ++i) {
    listQueue = listQueue || std::strcmp(argv[i], "--queue") == 0;
    check = check || std::strcmp(argv[i], "--check") == 0;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(platform::helpText(), stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("lptspool %s\n", LPTSPOOL_VERSION);
      return 0;
    }
  }
  platform::setArguments(argc, argv);
  // A server without a usable folder would sweep whatever folder it happens to run in: refuse it
  // before anything is created.
  std::string folder;
  Refusal refusal;
  if (!readPrintingDir(platform::commandLine(), folder, refusal) ||
      (!listQueue && !check && !leavesRoomForJobs(folder, currentFieldRoom(), refusal))) {
    platform::refuseStart(refusal.reason, startRefusalText(refusal));
    return 2;
  }
  if (listQueue) return printQueue(folder);
  if (check) return printCheck(folder);
  // A folder somebody else owns, or reached through a link he could have planted, would let him
  // choose what is printed and deleted: refused before anything else happens. A missing one is
  // made here, and checked as soon as it is.
  std::string reason;
  if (platform::openSpoolFolder(folder, reason) == platform::FolderState::Refused) {
    refusal = {RefusalCause::FolderRefused, reason, reason};
    platform::refuseStart(refusal.reason, startRefusalText(refusal));
    return 2;
  }
  if (!platform::claimSpoolFolder(folder, uitext::text(uitext::T::AlreadyRuns, {folder}))) return 0;
  // Said once, before the first job waits for a printer that is not there.
  const PrinterCheck printer = serverPrinterCheck(folder);
  return platform::runDesktop(argc, argv, [&printer](ui::Toolkit& toolkit) {
    auto form = std::make_shared<frmMain>(toolkit);
    form->printerWorks = printer.works;
    form->printerCause = printer.cause;
    form->printerCups = printer.cups;
    form->printerFifo = printer.fifo;
    if (!printer.works)
      form->say("the printer cannot work: " + printer.problem +
                "; jobs wait in the folder until it does");
    form->Form_Load();
    form->window->show();
    platform::announceServerRunning();
    return std::shared_ptr<void>(form);
  });
}
