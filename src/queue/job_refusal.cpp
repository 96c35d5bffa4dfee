#include "queue/job_refusal.h"

#include <cerrno>
#include <cstdlib>

namespace queue {

namespace {

// Below this a file system may keep a job inside its own records with no blocks at all.
constexpr std::uint64_t kSparseCheckFrom = std::uint64_t{1} << 20;
// Compression may hold a job in a few times fewer blocks than its size; a hole-punched or
// truncated file holds next to none.
constexpr std::uint64_t kSparseRatio = 32;

std::string sizeText(std::uint64_t bytes) {
  const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  std::uint64_t whole = bytes;
  while (unit < 4 && whole >= 1024 && whole % 1024 == 0) {
    whole /= 1024;
    ++unit;
  }
  return std::to_string(whole) + " " + units[unit];
}

}  // namespace

std::uint64_t maxJobBytes(const char* setting) {
  if (!setting || !*setting) return kDefaultMaxJobBytes;
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(setting, &end, 10);
  if (errno != 0 || end == setting || *setting == '-' || value == 0) return kDefaultMaxJobBytes;
  int shift = 0;
  switch (*end) {
    case '\0':
      break;
    case 'k':
    case 'K':
      shift = 10;
      break;
    case 'm':
    case 'M':
      shift = 20;
      break;
    case 'g':
    case 'G':
      shift = 30;
      break;
    default:
      return kDefaultMaxJobBytes;
  }
  if (shift && end[1] != '\0') return kDefaultMaxJobBytes;
  if (value > (~std::uint64_t{0} >> shift)) return kDefaultMaxJobBytes;
  return std::uint64_t{value} << shift;
}

std::string refusalReason(const platform::JobFacts& facts, std::uint64_t maxBytes) {
  // A second name may be a file of the user's that the job's owner linked in: deleting the
  // job after printing would then print and unlink something that was never a job.
  if (facts.links > 1)
    return "it has " + std::to_string(facts.links) + " hard links; a job must have only one";
  if (facts.size > maxBytes)
    return "it is " + sizeText(facts.size) + ", more than the largest job, " + sizeText(maxBytes) +
           " (LPTSPOOL_MAX_JOB)";
  if (facts.size >= kSparseCheckFrom && facts.allocatedBytes < facts.size / kSparseRatio)
    return "it is " + sizeText(facts.size) + " but holds only " + sizeText(facts.allocatedBytes) +
           " on disk: a sparse file, mostly holes";
  return "";
}

}  // namespace queue
