// What one job file is, independent of its name: the facts that say "this is the job we printed"
// and the facts that say whether it may be printed at all. Plain data, no host headers, so the
// server's tick and the launcher read a job the same way on both hosts.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A job's content as the printer took it: the file (device and inode) with the size and the
// modification time it had. Neither the name nor the change time is part of it, so renaming,
// moving or chmod-ing a printed job does not make it a new job.
struct JobIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;

  bool operator==(const JobIdentity& o) const {
    return device == o.device && inode == o.inode && size == o.size && mtimeNs == o.mtimeNs;
  }
  bool operator!=(const JobIdentity& o) const { return !(*this == o); }

  // "<device> <inode> <size> <mtime>", for notes kept about the job.
  std::string text() const {
    return std::to_string(device) + ' ' + std::to_string(inode) + ' ' + std::to_string(size) + ' ' +
           std::to_string(mtimeNs);
  }
};

// What decides whether a job is refused before anything is sent: its size, the bytes the file
// system really holds for it (a sparse file holds far fewer), and its hard links.
struct JobFacts {
  std::uint64_t size = 0;
  std::uint64_t allocatedBytes = 0;
  std::uint64_t links = 1;
};

}  // namespace platform

namespace platform {

// Reads text() back; anything else is refused whole.
bool parseIdentity(const std::string& text, JobIdentity& identity);

// The identity of the file a host path names, never through a link; false when it names no
// ordinary file.
bool identityOf(const std::string& hostPath, JobIdentity& identity);

}  // namespace platform
