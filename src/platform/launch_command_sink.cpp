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
#include "platform/launch_posix.h"
#include "platform/launch_sink.h"

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

class CommandSink : public Sink {
 public:
  CommandSink(UniqueFd lock, UniqueFd input, pid_t pid)
      : lock_(std::move(lock)), input_(std::move(input)), pid_(pid) {}
  ~CommandSink() override { abort(); }

  bool write(const char* data, std::size_t size) override {
    // A command that quits early shows as EPIPE here, since SIGPIPE is ignored.
    return writeAll(input_.get(), data, size) || failWith(error_, "write to command");
  }

  bool commit() override {
    input_.reset();
    int status = waitChild(pid_);
    pid_ = -1;
    if (status == 0) return true;
    error_ = status < 0 ? "command ended by a signal"
                        : "command exited with status " + std::to_string(status);
    return false;
  }

  // Stopped before it sees the end of its input, so a command like lp never submits the job.
  void abort() override {
    if (pid_ > 0) {
      ::kill(-pid_, SIGTERM);
      input_.reset();
      waitChild(pid_);
      pid_ = -1;
    }
    input_.reset();
  }

 private:
  UniqueFd lock_;
  UniqueFd input_;
  pid_t pid_;
};

}  // namespace

std::unique_ptr<Sink> openCommandSink(const std::vector<std::string>& argv,
                                      const std::string& lockKey, bool quiet, std::string& error) {
  if (argv.empty()) {
    error = "no command";
    return nullptr;
  }
  ignoreBrokenPipes();
  UniqueFd lock;
  if (!openCommandLock(lockKey, lock, error)) return nullptr;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return failWith(error, "pipe"), nullptr;
  UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
  SpawnSetup setup;
  setup.stdinFd = readEnd.get();
  setup.quietStdout = quiet;
  setup.quietStderr = quiet;
  setup.ownProcessGroup = true;
  pid_t pid = -1;
  if (!spawnChild(argv, nullptr, setup, pid)) return failWith(error, argv[0]), nullptr;
  return std::make_unique<CommandSink>(std::move(lock), std::move(writeEnd), pid);
}

}  // namespace platform
