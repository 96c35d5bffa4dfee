// Whether a job can be printed as it stands, judged from one look at its file, and the summary of
// the jobs that cannot. Such a job stays refused until it changes, so the server spends nothing
// on it but that look at every tick: no launcher, no helper file, no state of its own. The list,
// --queue and the server's stderr tell them as one line per reason, however many there are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/job_identity.h"

namespace queue {

enum class Standing {
  Printable,
  UnusableName,     // no batch script can carry its name
  UnreachableName,  // the system opens no file by it: no code page form, no short name
  NotDeletable,     // another user's job the server could not delete once printed
  Links,
  TooBig,
  Sparse,
};

// Whether a batch script can name the file: no control character, quote, backslash or slash.
bool scriptCanCarry(const std::string& name);

// The first reason that holds, in the order of the enum. A name is judged as Dir gave it.
Standing standingOf(const std::string& name, const platform::JobFacts& facts, bool deletable,
                    std::uint64_t maxBytes);

struct RefusedGroup {
  Standing standing = Standing::Printable;
  std::int64_t count = 0;
  std::uint64_t bytes = 0;
};

// Refused jobs counted by reason, in the order of the enum.
class RefusedSummary {
 public:
  void add(Standing standing, std::uint64_t bytes);
  const std::vector<RefusedGroup>& groups() const { return groups_; }
  std::int64_t total() const;

 private:
  std::vector<RefusedGroup> groups_;
};

// Why the jobs of a group stay, as the list, --queue and stderr tell it.
std::string standingReason(Standing standing, std::uint64_t maxBytes);
// "3 jobs" or "1 job".
std::string jobCount(std::int64_t count);
// The server's stderr line for a group, without the "lptspool: " prefix.
std::string refusedLine(const RefusedGroup& group, std::uint64_t maxBytes);
// --queue's line for a group: the state word, the count in the name column, the bytes, the reason.
std::string refusedQueueLine(const RefusedGroup& group, std::uint64_t maxBytes);

}  // namespace queue
