#include "platform/launch_host.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/posix/launch_posix.h"

extern char** environ;

namespace platform {

bool readOwnFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                 std::string& error) {
  // O_NONBLOCK: a FIFO put in a file's place must not hang us; it is refused below anyway.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
  if (!fd) return failWith(error, path);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return failWith(error, path);
  if (!S_ISREG(st.st_mode)) {
    error = path + ": not a regular file";
    return false;
  }
  // Whoever else could write it could make us run his lines.
  if (st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    error = path + ": not ours alone (owner or write permission)";
    return false;
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    error = path + ": too large";
    return false;
  }
  std::string out;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failWith(error, path);
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
    if (out.size() > maxBytes) {
      error = path + ": too large";
      return false;
    }
  }
  bytes.swap(out);
  return true;
}

bool currentFolder(std::string& folder) {
  return realFolder(".", folder);
}

bool realFolder(const std::string& path, std::string& real) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return false;
  real = resolved;
  std::free(resolved);
  struct stat st;
  return ::stat(real.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Removal removeFromWorkingFolder(const std::string& name, std::string& error) {
  struct stat st;
  if (::lstat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    error = name + ": is a folder";
    return Removal::Failed;
  }
  if (::unlink(name.c_str()) == 0) return Removal::Removed;
  if (errno == ENOENT) return Removal::Missing;
  failWith(error, name);
  return Removal::Failed;
}

namespace {

class SystemClock : public Clock {
 public:
  std::int64_t nowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void sleepMs(std::int64_t ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
  std::int64_t realTimeNs() override {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace

Clock& systemClock() {
  static SystemClock clock;
  return clock;
}

void ignoreBrokenPipes() {
  ::signal(SIGPIPE, SIG_IGN);
}

bool captureOutput(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                   std::size_t maxBytes, std::string& output, int& exitCode) {
  if (argv.empty()) return false;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);

  SpawnSetup setup;
  setup.folder = commandFolder();
  setup.stdinFd = -1;  // /dev/null
  setup.stdoutFd = writeEnd.get();
  setup.quietStderr = true;
  pid_t pid = -1;
  if (!spawnChild(argv, commandEnvironment(extraEnv), setup, pid)) return false;
  writeEnd.reset();

  std::string out;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (out.size() < maxBytes)
      out.append(buffer, std::min(static_cast<std::size_t>(n), maxBytes - out.size()));
  }
  readEnd.reset();
  exitCode = waitChild(pid);
  output.swap(out);
  return true;
}

}  // namespace platform
