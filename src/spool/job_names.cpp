#include "spool/job_names.h"

#include "spool/job_files.h"

std::string JobNames::own(const std::string& jobName) {
  ++examined_;
  return own_.insert(jobName).second ? jobName : std::string();
}

std::string JobNames::nextShort(const std::string& jobName) {
  // A short name is its start and its number, so two sequences meet only when both agree on the
  // start for that many digits: one counter per start and width hands out each name once. A job's
  // own name ends in "ps" and never meets a short name, which ends in a digit.
  for (unsigned first = 1, end = 10; first <= 999999; first *= 10, end *= 10) {
    ++examined_;
    unsigned& n = next_.try_emplace(shortJobName(jobName, first), first).first->second;
    if (n < end) return shortJobName(jobName, n++);
  }
  return std::string();
}
