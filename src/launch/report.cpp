#include "launch/report.h"

#include "platform/job_states.h"
#include "queue/job_list.h"

namespace launch {

namespace {
std::ostream* reportStream = nullptr;
std::string stateFolder;  // the spool folder whose states are kept; empty: none
bool storeTried = false;
platform::JobStateStore store;

queue::Kind kindOf(JobState state) {
  switch (state) {
    case JobState::Waiting:
      return queue::Kind::Waiting;
    case JobState::StillWritten:
      return queue::Kind::StillWritten;
    case JobState::Printing:
      return queue::Kind::Printing;
    case JobState::Printed:
      return queue::Kind::Printed;
    case JobState::Failed:
      return queue::Kind::Failed;
    case JobState::Unprintable:
      return queue::Kind::Unprintable;
  }
  return queue::Kind::Failed;
}

// Opened at the first report: a launcher that leaves at once never touches the store.
void keep(const std::string& job, JobState state, const std::string& reason) {
  if (stateFolder.empty()) return;
  if (!storeTried) {
    storeTried = true;
    std::string error;
    if (!store.open(stateFolder, error) && reportStream)
      *reportStream << "lptspool-launch: job states cannot be kept: " << error << '\n';
  }
  if (store.isOpen()) queue::record(store, job, kindOf(state), reason);
}
}  // namespace

const char* stateName(JobState state) {
  switch (state) {
    case JobState::Waiting:
      return "waits";
    case JobState::StillWritten:
      return "is still being written";
    case JobState::Printing:
      return "printing";
    case JobState::Printed:
      return "printed";
    case JobState::Failed:
      return "failed";
    case JobState::Unprintable:
      return "cannot be printed";
  }
  return "?";
}

void report(const std::string& job, JobState state, const std::string& reason) {
  keep(job, state, reason);
  if (!reportStream) return;
  *reportStream << "lptspool-launch: " << job << ' ' << stateName(state);
  if (!reason.empty()) *reportStream << ": " << reason;
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
