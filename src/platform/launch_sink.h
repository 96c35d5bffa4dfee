// Where the lpt1 device leads on this host: a character device, a FIFO, a folder, a regular file
// or a command's standard input. The launcher takes the printer's lock before it opens one, so
// jobs sent to one sink never interleave.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/launch_job.h"

namespace platform {

class Sink {
 public:
  virtual ~Sink() = default;
  // Sends the first settled.size bytes of the open job file jobFd, straight from it, and completes
  // the job. True only when the printer took all of them and the job still matched settled once
  // they were read; changed() then tells a job that changed meanwhile from a failing printer.
  // Bytes a device or FIFO took stay sent; every other sink takes back what it got.
  virtual bool print(int jobFd, const FileStamp& settled) = 0;
  bool changed() const { return changed_; }
  // Whether a failed print leaves nothing at the printer. A device, FIFO or command may already
  // have passed on part of the job.
  virtual bool takesBack() const { return true; }
  const std::string& error() const { return error_; }

 protected:
  std::string error_;
  bool changed_ = false;
};

// A path: a character device or FIFO (written; a FIFO without a reader fails), a folder (the job
// becomes a new file there named after the time and jobName), or an existing regular file
// (appended). Null with an error when it cannot be opened. A device, FIFO or file gets the job
// from a child process that finishes it even when the launcher is killed meanwhile.
std::unique_ptr<Sink> openPathSink(const std::string& path, const std::string& jobName,
                                   std::string& error);

// Whether the folder or regular file at path has room for a job of bytes; true for any other
// printer and where the room cannot be told. A job that does not fit is not started, so it never
// fills the file system for every other program.
bool roomFor(const std::string& path, std::uint64_t bytes, std::string& why);

// A command given the job on its standard input: argv run directly (a bare name looked up on
// absolute PATH entries) from the home folder. A launcher killed meanwhile leaves the command the
// whole job, so it sees the job's real end or none: a job that changed while it was read, or a
// launcher killed before the command was given the job, never reaches an end of input (on POSIX
// the command and all it started are killed first). With quiet its standard output and error go
// to /dev/null.
std::unique_ptr<Sink> openCommandSink(const std::vector<std::string>& argv, bool quiet,
                                      std::string& error);

// The host's command interpreter running command, as argv: /bin/sh -c, or cmd.exe /c on Windows.
std::vector<std::string> shellCommand(const std::string& command);

// The printer port a job goes to when nothing else is set: /dev/lp0, or LPT1 on Windows.
std::string defaultDevice();

}  // namespace platform
