// A print job held open and locked by the launcher that prints it. The lock is what keeps two
// launchers (a job re-dispatched while still printing) from sending the same job twice.
#pragma once

#include <cstdint>
#include <string>

#include "platform/job_identity.h"
#include "platform/launch_lock.h"

namespace platform {

class Sink;

// What tells us a file is still being written: any change in size, modification or change time.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
  std::int64_t ctimeNs = 0;
  bool operator==(const FileStamp& o) const {
    return size == o.size && mtimeNs == o.mtimeNs && ctimeNs == o.ctimeNs;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
  // The same bytes as far as the stamp can tell: a rename, a new link or a chmod changes only
  // the change time. What was sent of a job compares this way, so such a change mid-print
  // neither cuts a print short nor has it sent again.
  bool sameContent(const FileStamp& o) const { return size == o.size && mtimeNs == o.mtimeNs; }
};

class JobFile {
 public:
  enum class Open { Ok, Missing, NotRegular, Failed };
  enum class Lock {
    Locked,    // ours until this object goes
    Busy,      // another launcher holds it
    Gone,      // the name no longer exists: someone printed and deleted it meanwhile
    Replaced,  // the name now names another file: open again
    Failed
  };
  enum class Removal { Removed, Missing, Replaced, Failed };

  JobFile() = default;
  ~JobFile();
  JobFile(const JobFile&) = delete;
  JobFile& operator=(const JobFile&) = delete;
  JobFile(JobFile&& other) noexcept;
  JobFile& operator=(JobFile&& other) noexcept;

  // Opens a regular file in the working folder without following a symbolic link and without
  // blocking on a FIFO.
  Open open(const std::string& name);
  // Takes the job's lock without waiting, then checks the name still names the opened file. The
  // lock is a file in lockFolder (the user's private folder) named after the job's device and
  // inode: nobody else can take it, whatever he does to the job.
  Lock tryLock(const std::string& lockFolder);
  // Whether this user may delete the name afterwards: a job that stayed after printing would be
  // printed again at every tick. False with the reason when not.
  bool deletable(std::string& why) const;
  bool stamp(FileStamp& out) const;
  // Whether a program still has the job open for writing. Unknown where the host cannot tell:
  // a job of another owner without the right to lease it, or leases switched off.
  enum class Writers { None, Some, Unknown };
  Writers writers() const;
  // Reads at an offset; returns the count read, 0 at the end, -1 on error.
  long long readAt(std::uint64_t offset, char* buffer, std::size_t size) const;
  // The job's identity, for notes about it: "<device>-<inode>".
  std::string key() const;
  // The open file with the settled size and modification time: what the printer takes.
  bool identity(const FileStamp& settled, JobIdentity& out) const;
  // Size, allocated bytes and hard links, for the rule that refuses a job before printing.
  bool facts(JobFacts& out) const;
  // Sends the settled bytes to the sink; as Sink::print.
  bool printTo(Sink& sink, const FileStamp& settled) const;
  // Deletes the name only while it still names this file, so a new job that took the name
  // after ours is never deleted unprinted.
  Removal removeName();
  // After Removed: whether the file is left without any name, so it can never come back.
  bool nameless() const { return nameless_; }

  const std::string& name() const { return name_; }
  const std::string& error() const { return error_; }

 private:
  bool sameAsName(bool& missing);
  void close();

  int fd_ = -1;
  PrivateLock lock_;
  std::string name_;
  std::string error_;
  bool nameless_ = false;
};

}  // namespace platform
