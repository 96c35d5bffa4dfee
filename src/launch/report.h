// Why a job waits, failed or cannot be printed. Every such reason the launcher finds goes
// through report(), so the user can be told in one place.
#pragma once

#include <ostream>
#include <string>

namespace launch {

enum class JobState {
  Waiting,       // left for a later tick: the printer is busy or failed moments ago
  StillWritten,  // not complete yet: still growing or held open for writing
  Printing,      // being sent to the printer now
  Printed,       // the printer took it whole; it is deleted
  Failed,        // the printer refused it; reason is the printer's own
  Unprintable,   // cannot be printed as things stand (it could not be deleted afterwards...)
};

// The state's name as reports show it: "waits", "printing", "failed"...
const char* stateName(JobState state);

// Records the job's state and the reason for it. job is the name in the spool folder.
void report(const std::string& job, JobState state, const std::string& reason);

// Reports are also kept as the job states of this spool folder (a host path), where the server,
// its document list and --queue read them.
void keepStatesOf(const std::string& spoolHostFolder);

// Where reports are shown: the debug stream; null keeps them quiet. Not thread-safe: set once
// before a launcher runs.
void setReportStream(std::ostream* out);

}  // namespace launch
