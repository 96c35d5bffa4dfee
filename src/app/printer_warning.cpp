// The warning a glance at the window or the tray gives while the printer cannot take jobs or
// jobs are refused, and the one desktop notification per such episode for a hidden window.
#include "app/frm_main.h"
#include "app/printer_check.h"
#include "platform/files.h"
#include "queue/job_list.h"
#include "ui_text/job_text.h"
#include "ui_text/ui_text.h"

using uitext::T;

void frmMain::updateWarning(bool mayNotify) {
  const std::vector<queue::JobRecord> none;
  const std::vector<queue::JobRecord>& records = tracker ? tracker->records() : none;
  // A printer failure counts until a job is printed after it: the failures on record when a
  // job is printed are over, and only a new report (another launcher, another try) brings one
  // back. Every job waiting on the printer holds the same one, so the newest tells it.
  auto key = [](const queue::JobRecord& r) {
    return queue::encode(r);  // every field: a new report changes at least one
  };
  if (tracker && tracker->printed()) {
    pastFailures_.clear();
    for (const queue::JobRecord& r : records)
      if (uitext::isPrinterFailure(r)) pastFailures_.insert(key(r));
  }
  const queue::JobRecord* failure = nullptr;
  for (const queue::JobRecord& r : records) {
    if (uitext::isPrinterFailure(r) && !pastFailures_.count(key(r)) &&
        (!failure || r.at > failure->at))
      failure = &r;
  }
  // The check is only made again while something is wrong: a printer that works needs none.
  if ((failure || !printerWorks) && !printerFifo) {
    const PrinterCheck check = serverPrinterCheck(PrintingDir);
    printerWorks = check.works;
    printerCause = check.cause;
    printerCups = check.cups;
    printerFifo = check.fifo;
  }
  if (tracker && tracker->printed() && !failure) printerWorks = true;
  const uitext::PrinterContext printer{printerCause, printerCups};

  std::string warning, cause;
  if (!folderProblem.empty()) {
    cause = uitext::folderCause(folderProblem);
    warning = cause;
  } else if (failure || !printerWorks) {
    cause = failure ? uitext::jobCause(*failure, printer) : printerCause;
    warning = uitext::text(T::WarningTip, {cause});
  } else if (refusedJobs > 0) {
    cause = refusedCause;
    warning = uitext::text(T::WarningRefusedTip, {std::to_string(refusedJobs), cause});
  }
  cmdShow->setWarning(warning);
  toolkit_.setTrayState(
      warning.empty() ? ""
                      : uitext::text(T::TrayTipWarning, {std::to_string(lngDocuments), warning}),
      !warning.empty());
  if (warning.empty()) {
    noticeGiven_ = false;
  } else if (mayNotify && !noticeGiven_ && !window->visible()) {
    // Once per episode, and only to a user who cannot see the window; a tray that cannot show
    // it is asked again at the next tick.
    noticeGiven_ = toolkit_.notify(
        uitext::text(failure || !printerWorks ? T::NoticeTitle : T::NoticeRefusedTitle), cause);
  }
}
