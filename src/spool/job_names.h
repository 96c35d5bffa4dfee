// The job names of one tick: each job's helper files need a name no other job of the tick has and
// nobody has taken in the folder.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>

class JobNames {
 public:
  // The job's own name, unless another job of this tick has it already; then "".
  std::string own(const std::string& jobName);
  // The next short name for the job (QUARTE~1, QUARTE~2, ...) that no job of this tick has been
  // given; "" when they are all gone. Every job whose name starts alike draws from one sequence,
  // which remembers where it stopped: a tick over many such names stays linear.
  std::string nextShort(const std::string& jobName);
  // Names looked at so far, handed out or not: the work the tick spent on naming.
  size_t examined() const { return examined_; }

 private:
  std::set<std::string> own_;
  // The next number of each sequence, by its first name at a width of suffix (QUARTE~1, QUART~10).
  std::map<std::string, unsigned> next_;
  size_t examined_ = 0;
};
