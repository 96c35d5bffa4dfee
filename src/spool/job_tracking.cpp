// The job states of the spool folder, kept in the user's private folder, and the lines the server
// says on stderr when a job is printed or its state changes.
#include "app/frm_main.h"
#include "platform/dos_path.h"
#include "queue/job_list.h"
#include "ui_text/job_text.h"

void frmMain::startTracking() {
  std::string host, error;
  platform::JobStateStore store;
  if (!platform::toHostPath(PrintingDir, host) || !store.open(host, error)) {
    if (!error.empty()) say("job states cannot be kept: " + error);
    tracker.reset();
    return;
  }
  if (host.back() != '/' && host.back() != '\\') host += '/';
  tracker =
      std::make_unique<queue::Tracker>(store, host, [this](const std::string& line) { say(line); });
}

void frmMain::afterTick(const queue::TickOutcome& outcome) {
  if (tracker) tracker->afterTick(outcome);
  refusedJobs = outcome.refused.total();
  const auto& groups = outcome.refused.groups();
  refusedCause =
      groups.empty() ? "" : uitext::standingCause(groups.front().standing, outcome.maxBytes);
}
