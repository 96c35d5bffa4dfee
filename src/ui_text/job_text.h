// How a job's state and the reason behind it read in the document list, the window's warning
// and the tray: one Swedish sentence per cause, then the system's own words where they help.
// The launcher's reasons are English log lines; this is where they are translated.
#pragma once

#include <cstdint>
#include <string>

#include "queue/job_standing.h"
#include "queue/job_state.h"

namespace uitext {

// What is known of the printer beyond a job's reason.
struct PrinterContext {
  std::string cause;  // the cause the printer check finds now, in Swedish; empty when none
  bool cups = false;  // lpt1 is the CUPS default destination, printed through lp
};

// A failure of the printer rather than of the job: every job waiting on it shares it.
bool isPrinterFailure(const queue::JobRecord& record);

// The cause of a waiting, failed or refused job: a Swedish sentence, and the detail after it.
std::string jobCause(const queue::JobRecord& record, const PrinterContext& printer);

// Why jobs are refused until they change.
std::string standingCause(queue::Standing standing, std::uint64_t maxBytes);
// Why nothing is printed from the spool folder; the system's words are its problem.
std::string folderCause(const std::string& problem);

// The list's state column.
std::string stateLabel(const queue::JobRecord& record, std::int64_t now,
                       const PrinterContext& printer);

}  // namespace uitext
