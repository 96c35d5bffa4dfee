// Where the lpt1 device leads on this host: a character device, a FIFO, a folder, a regular file
// or a command's standard input. Every sink is held under an exclusive lock from open to
// commit or abort, so jobs sent to one sink never interleave.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Sink {
 public:
  virtual ~Sink() = default;
  // Writes all of it or fails.
  virtual bool write(const char* data, std::size_t size) = 0;
  // Sends up to size bytes of the open file fd, from offset, to the sink inside the kernel, so a
  // big job is not copied through our memory: the count sent, 0 at the file's end, -1 on error,
  // or kByWrite when this sink takes bytes only through write() (then nothing was sent).
  static constexpr long long kByWrite = -2;
  virtual long long sendFrom(int fd, std::uint64_t offset, std::size_t size);
  // Completes the job: flushes, publishes, waits for the command. True only when the job was
  // delivered whole.
  virtual bool commit() = 0;
  // Takes back what can be taken back (a folder's temporary file, a regular file's appended
  // bytes, a command's job not yet handed over); bytes already sent to a device stay sent.
  virtual void abort() = 0;
  const std::string& error() const { return error_; }

 protected:
  std::string error_;
};

// A path: a character device or FIFO (written; a FIFO without a reader fails), a folder (the job
// becomes a new file there named after the time and jobName), or an existing regular file
// (appended). Waits for the sink's lock. Null with an error when it cannot be opened. A device,
// FIFO or file gets the job only at commit, whole, from a child process that finishes it even
// when the launcher is killed meanwhile.
std::unique_ptr<Sink> openPathSink(const std::string& path, const std::string& jobName,
                                   std::string& error);

// A command given the job on its standard input: argv run directly (looked up on PATH), started
// at commit with the whole job, which is kept in an unnamed copy until then. A launcher killed
// during commit still hands the command the whole job. lockKey names the sink for the lock:
// launchers with equal keys take turns. With quiet its standard output and error go to /dev/null.
std::unique_ptr<Sink> openCommandSink(const std::vector<std::string>& argv,
                                      const std::string& lockKey, bool quiet, std::string& error);

// The host's command interpreter running command, as argv: /bin/sh -c, or cmd.exe /c on Windows.
std::vector<std::string> shellCommand(const std::string& command);

// The printer port a job goes to when nothing else is set: /dev/lp0, or LPT1 on Windows.
std::string defaultDevice();

}  // namespace platform
