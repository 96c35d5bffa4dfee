#include "launch/report.h"

#include "platform/job_states.h"
#include "queue/job_list.h"

namespace launch {

namespace {
std::ostream* reportStream = nullptr;
std::string stateFolder;  // the spool folder whose states are kept; empty: none
bool storeTried = false;
platform::JobStateStore store;

// Opened at the first report: a launcher that leaves at once never touches the store.
void keep(const std::string& job, queue::Kind state, const std::string& reason,
          const platform::JobIdentity* identity) {
  if (stateFolder.empty()) return;
  if (!storeTried) {
    storeTried = true;
    std::string error;
    if (!store.open(stateFolder, error) && reportStream)
      *reportStream << "lptspool-launch: job states cannot be kept: " << error << '\n';
  }
  if (!store.isOpen()) return;
  // The launcher runs in the spool folder. A file that is gone leaves an identity that matches
  // no job: its state is dropped at the next tick, except "printed", which is said.
  platform::JobIdentity file;
  if (identity)
    file = *identity;
  else
    platform::identityOf(job, file);
  queue::record(store, job, file, state, reason);
}
}  // namespace

void report(const std::string& job, queue::Kind state, const std::string& reason,
            const platform::JobIdentity* identity) {
  keep(job, state, reason, identity);
  if (!reportStream) return;
  *reportStream << "lptspool-launch: " << queue::printable(job) << ' '
                << queue::wordsOf(state).launcher;
  if (!reason.empty()) *reportStream << ": " << queue::printableText(reason);
  *reportStream << '\n';
}

void keepStatesOf(const std::string& spoolHostFolder) {
  stateFolder = spoolHostFolder;
  storeTried = false;
}

void setReportStream(std::ostream* out) {
  reportStream = out;
}

}  // namespace launch
