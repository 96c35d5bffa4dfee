#include "launch/report.h"

namespace launch {

namespace {
std::ostream* reportStream = nullptr;
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
  if (!reportStream) return;
  *reportStream << "lptspool-launch: " << job << ' ' << stateName(state);
  if (!reason.empty()) *reportStream << ": " << reason;
  *reportStream << '\n';
}

void setReportStream(std::ostream* out) {
  reportStream = out;
}

}  // namespace launch
