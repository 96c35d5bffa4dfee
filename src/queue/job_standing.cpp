#include "queue/job_standing.h"

#include "platform/files.h"
#include "queue/job_refusal.h"

namespace queue {

namespace {

std::string sizeText(std::uint64_t bytes) {
  const char* units[] = {"bytes", "KiB", "MiB", "GiB"};
  int unit = 0;
  while (unit < 3 && bytes >= 1024 && bytes % 1024 == 0) bytes /= 1024, ++unit;
  return std::to_string(bytes) + " " + units[unit];
}

}  // namespace

bool scriptCanCarry(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || c == '"' || c == '\\' || c == '/') return false;
  return true;
}

Standing standingOf(const std::string& name, const platform::JobFacts& facts, bool deletable,
                    std::uint64_t maxBytes) {
  if (!scriptCanCarry(name)) return Standing::UnusableName;
  if (!platform::nameReachable(name)) return Standing::UnreachableName;
  // Printing a job that stays afterwards would print it again at every tick.
  if (!deletable) return Standing::NotDeletable;
  if (refusalReason(facts, maxBytes).empty()) return Standing::Printable;
  // The shared rule's own order: links, then size, then holes.
  if (facts.links > 1) return Standing::Links;
  if (facts.size > maxBytes) return Standing::TooBig;
  return Standing::Sparse;
}

void RefusedSummary::add(Standing standing, std::uint64_t bytes) {
  auto at = groups_.begin();
  while (at != groups_.end() && at->standing < standing) ++at;
  if (at == groups_.end() || at->standing != standing) at = groups_.insert(at, {standing, 0, 0});
  ++at->count;
  at->bytes += bytes;
}

std::int64_t RefusedSummary::total() const {
  std::int64_t total = 0;
  for (const RefusedGroup& group : groups_) total += group.count;
  return total;
}

std::string standingReason(Standing standing, std::uint64_t maxBytes) {
  switch (standing) {
    case Standing::Printable:
      return "";
    case Standing::UnusableName:
      return "the name holds a character no batch script can carry (a control character, \" or "
             "\\)";
    case Standing::UnreachableName:
      return "the name has characters the system's code page lacks, and the volume keeps no short "
             "name to reach the file by; rename it";
    case Standing::NotDeletable:
      return "they could not be deleted afterwards: they belong to another user, and the spool "
             "folder lets only him delete them";
    case Standing::Links:
      return "they have more than one hard link; a job must have only one";
    case Standing::TooBig:
      return "they are larger than the largest job, " + sizeText(maxBytes) + " (LPTSPOOL_MAX_JOB)";
    case Standing::Sparse:
      return "they are sparse files, mostly holes";
  }
  return "";
}

std::string jobCount(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " job" : " jobs");
}

std::string refusedLine(const RefusedGroup& group, std::uint64_t maxBytes) {
  return jobCount(group.count) +
         " left in the folder unprinted: " + standingReason(group.standing, maxBytes);
}

std::string refusedQueueLine(const RefusedGroup& group, std::uint64_t maxBytes) {
  return "refused\t(" + jobCount(group.count) + ")\t" + std::to_string(group.bytes) + '\t' +
         standingReason(group.standing, maxBytes) + '\n';
}

}  // namespace queue
