#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/launch_host.h"
#include "platform/launch_sink.h"
#include "platform/posix/launch_posix.h"

namespace platform {

namespace {

// A command has no file to lock, so launchers sending to the same command take turns on a
// private lock file named after it.
bool openCommandLock(const std::string& key, UniqueFd& lock, std::string& error) {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && runtime[0] == '/' ? runtime : "/tmp";
  std::string path = folder + "/lptspool-sink-" + std::to_string(::getuid()) + "-" + hex + ".lock";
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) return failWith(error, path);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return failWith(error, path);
  if (!S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
    error = path + ": not our lock file";
    return false;
  }
  while (::flock(fd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return failWith(error, "lock " + path);
  }
  lock = std::move(fd);
  return true;
}

// Runs in a child of its own: writes the whole copy into the command's input and ends. It
// outlives a launcher killed meanwhile, so the command always reads the job to its real end.
[[noreturn]] void feed(int copy, int input) {
  auto send = [](void* fd, const char* data, std::size_t size) {
    return writeAll(*static_cast<int*>(fd), data, size);
  };
  ::_exit(sendCopy(copy, send, &input) ? 0 : 1);
}

// The job is gathered in a copy first and the command started only when the launcher has the
// whole of it. A command fed straight from the launcher would take a launcher killed half way
// for the end of the job, and lp would print the half it got.
class CommandSink : public Sink {
 public:
  CommandSink(UniqueFd lock, UniqueFd copy, std::vector<std::string> argv, bool quiet)
      : lock_(std::move(lock)), copy_(std::move(copy)), argv_(std::move(argv)), quiet_(quiet) {}

  bool write(const char* data, std::size_t size) override {
    return writeAll(copy_.get(), data, size) || failWith(error_, "write job copy");
  }

  bool commit() override {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return failWith(error_, "pipe");
    UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    SpawnSetup setup;
    setup.stdinFd = readEnd.get();
    setup.quietStdout = quiet_;
    setup.quietStderr = quiet_;
    setup.ownProcessGroup = true;
    pid_t pid = -1;
    if (!spawnChild(argv_, nullptr, setup, pid)) return failWith(error_, argv_[0]);
    readEnd.reset();
    const pid_t feeder = ::fork();
    if (feeder == 0) {
      // In the command's process group: whoever kills the launcher's group leaves the two
      // together, and whoever kills the command's group takes both.
      ::setpgid(0, pid);
      feed(copy_.get(), writeEnd.get());
    }
    writeEnd.reset();
    if (feeder < 0) {
      failWith(error_, "fork");
      ::kill(-pid, SIGTERM);  // it has seen no end of input, so it submits nothing
      waitChild(pid);
      return false;
    }
    // A command that quits early leaves the feeder with a closed pipe: a failure too.
    const int fed = waitChild(feeder);
    const int status = waitChild(pid);
    copy_.reset();
    if (status != 0) {
      error_ = status < 0 ? "command ended by a signal"
                          : "command exited with status " + std::to_string(status);
      return false;
    }
    if (fed != 0) {
      error_ = "the command stopped reading before the end of the job";
      return false;
    }
    return true;
  }

  // Nothing was started yet: dropping the copy is all.
  void abort() override { copy_.reset(); }

 private:
  UniqueFd lock_;
  UniqueFd copy_;
  std::vector<std::string> argv_;
  bool quiet_;
};

}  // namespace

std::vector<std::string> shellCommand(const std::string& command) {
  return {"/bin/sh", "-c", command};
}

std::unique_ptr<Sink> openCommandSink(const std::vector<std::string>& argv,
                                      const std::string& lockKey, bool quiet, std::string& error) {
  if (argv.empty()) {
    error = "no command";
    return nullptr;
  }
  ignoreBrokenPipes();
  UniqueFd lock;
  if (!openCommandLock(lockKey, lock, error)) return nullptr;
  UniqueFd copy;
  if (!openUnnamedCopy(copy, error)) return nullptr;
  return std::make_unique<CommandSink>(std::move(lock), std::move(copy), argv, quiet);
}

}  // namespace platform
