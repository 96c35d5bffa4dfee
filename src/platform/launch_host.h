// What lptspool-launch needs from the host besides locks and sinks: small whole-file reads,
// folder identity, deletion, the clock and child processes. Qt-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Reads a file whole when it is one we may run: a regular file (a symbolic link is refused, never
// followed) of this user that nobody else may write, of at most maxBytes.
bool readOwnFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                 std::string& error);

// The working folder, symbolic links resolved.
bool currentFolder(std::string& folder);

// The folder with every symbolic link and "." or ".." resolved; false when it does not exist.
bool realFolder(const std::string& path, std::string& real);

enum class Removal { Removed, Missing, Failed };

// Deletes a file (never a folder) from the working folder.
Removal removeFromWorkingFolder(const std::string& name, std::string& error);

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t nowMs() = 0;
  virtual void sleepMs(std::int64_t ms) = 0;
  // Wall-clock time in nanoseconds, on the clock and from the epoch of the job's file stamps.
  virtual std::int64_t realTimeNs() = 0;
};

// Monotonic time, real sleeping and the real-time clock.
Clock& systemClock();

// Keeps a vanished reader from killing the process: writes to it then fail with an error instead.
void ignoreBrokenPipes();

// Runs argv as a print command (looked up on absolute PATH entries, run from the home folder) with
// stdin on /dev/null and extra environment entries; captures
// up to maxBytes of its standard output. False when it could not be started; exitCode is -1 when
// it did not exit normally.
bool captureOutput(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                   std::size_t maxBytes, std::string& output, int& exitCode);

}  // namespace platform
