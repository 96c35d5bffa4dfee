// Why a job waits, failed or cannot be printed. Every such reason the launcher finds goes
// through report(), so the user can be told in one place.
#pragma once

#include <ostream>
#include <string>

#include "queue/job_kind.h"

namespace launch {

// Records the job's state (never Queued: that is the absence of a report) and the reason for it.
// job is the name in the spool folder.
void report(const std::string& job, queue::Kind state, const std::string& reason);

// Reports are also kept as the job states of this spool folder (a host path), where the server,
// its document list and --queue read them.
void keepStatesOf(const std::string& spoolHostFolder);

// Where reports are shown: the debug stream; null keeps them quiet. Not thread-safe: set once
// before a launcher runs.
void setReportStream(std::ostream* out);

}  // namespace launch
