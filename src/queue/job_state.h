// A waiting job's state as the launcher and the server record it, and the two ways it is told in
// English: a line of --queue and a line on the server's stderr. The list's Swedish is ui_text's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/job_identity.h"
#include "queue/job_kind.h"

namespace queue {

struct JobRecord {
  std::string name;           // the job's file name in the spool folder
  platform::JobIdentity job;  // which file: a new job under the name is not this one
  Kind kind = Kind::Queued;
  std::string reason;
  std::int64_t tries = 0;  // launcher runs that reached the printer
  std::int64_t since = 0;  // Unix time of the first of them; 0 before
  std::int64_t at = 0;     // Unix time of this record
  std::int64_t pid = 0;    // the process that wrote it
};

std::string encode(const JobRecord& record);
// False for bytes that are not a record (a torn or foreign file).
bool decode(const std::string& bytes, JobRecord& record);

// The record a report turns `previous` into. A launcher run counts as one try when it reaches the
// printer, whether it then prints or fails.
JobRecord advance(const std::optional<JobRecord>& previous, const std::string& name, Kind kind,
                  const std::string& reason, std::int64_t pid, std::int64_t now);

// A name as it is shown anywhere (stderr, --queue, the list): control characters (C0 and C1),
// invisible and reordering characters, bytes that are not UTF-8 and the backslash itself as \xNN,
// one per byte. A hostile name cannot drive the terminal, split a line or pass for another name,
// and every shown name reads back to the one name it came from.
std::string printable(const std::string& name);
// A message or a path shown the same way, but with its backslashes as they are: Windows paths
// in a printer's reason stay readable.
std::string printableText(const std::string& text);

// Local time as HH:MM on the day of `now`, else YYYY-MM-DD HH:MM.
std::string clockTime(std::int64_t when, std::int64_t now);

// --queue's reason column.
std::string reasonText(const JobRecord& record, std::int64_t now);
// The server's stderr line for the state, without the "lptspool: " prefix; empty for the states
// that are plain progress (queued, printing).
std::string stderrLine(const JobRecord& record);

}  // namespace queue
