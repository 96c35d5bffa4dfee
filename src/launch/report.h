// Why a job waits, failed or cannot be printed. Every such reason the launcher finds goes
// through report(), so the user can be told in one place.
#pragma once

#include <ostream>
#include <string>

#include "platform/job_identity.h"
#include "queue/job_kind.h"

namespace launch {

// Records the job's state (never Queued: that is the absence of a report) and the reason for it.
// job is the name in the spool folder.
// The state is kept about the file the name names now, or about `identity` when the caller knows
// which file it printed.
void report(const std::string& job, queue::Kind state, const std::string& reason,
            const platform::JobIdentity* identity = nullptr);

// Reports are also kept as the job states of this spool folder (a host path), where the server,
// its document list and --queue read them.
void keepStatesOf(const std::string& spoolHostFolder);

// Where reports are shown: the debug stream; null keeps them quiet. Not thread-safe: set once
// before a launcher runs.
void setReportStream(std::ostream* out);

}  // namespace launch
