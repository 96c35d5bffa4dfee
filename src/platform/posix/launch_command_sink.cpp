#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/launch_host.h"
#include "platform/launch_sink.h"
#include "platform/posix/launch_posix.h"

namespace platform {

namespace {

constexpr int kChanged = 2;

bool writeTo(void* fd, const char* data, std::size_t size) {
  return writeAll(*static_cast<int*>(fd), data, size);
}

// Runs in a child in the command's process group: writes the settled bytes into the command's
// input and ends. It outlives a launcher killed meanwhile, so the command always reads the job to
// its real end. A job that changed under it is never ended: the command is killed before it sees
// the end of its input, and a command that acts only on a whole input (lp) prints nothing.
[[noreturn]] void feed(int job, const FileStamp& settled, int input, pid_t command) {
  bool shortened = false;
  if (!sendJob(job, settled.size, writeTo, &input, shortened)) {
    if (shortened) ::kill(command, SIGKILL);
    ::_exit(shortened ? kChanged : 1);
  }
  FileStamp now;
  if (!stampOf(job, now) || now != settled) {
    ::kill(command, SIGKILL);
    ::_exit(kChanged);
  }
  ::_exit(0);
}

class CommandSink : public Sink {
 public:
  CommandSink(std::vector<std::string> argv, bool quiet) : argv_(std::move(argv)), quiet_(quiet) {}

  bool print(int jobFd, const FileStamp& settled) override {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return failWith(error_, "pipe");
    UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    SpawnSetup setup;
    setup.folder = commandFolder();
    setup.stdinFd = readEnd.get();
    setup.quietStdout = quiet_;
    setup.quietStderr = quiet_;
    setup.ownProcessGroup = true;
    pid_t pid = -1;
    if (!spawnChild(argv_, commandEnvironment(), setup, pid)) return failWith(error_, argv_[0]);
    readEnd.reset();
    const pid_t feeder = ::fork();
    if (feeder == 0) {
      // In the command's process group: whoever kills the launcher's group leaves the two
      // together, and whoever kills the command's group takes both.
      ::setpgid(0, pid);
      feed(jobFd, settled, writeEnd.get(), pid);
    }
    writeEnd.reset();
    if (feeder < 0) {
      failWith(error_, "fork");
      ::kill(-pid, SIGKILL);  // it has seen no end of input, so it submits nothing
      waitChild(pid);
      return false;
    }
    // A command that quits early leaves the feeder with a closed pipe: a failure too.
    const int fed = waitChild(feeder);
    const int status = waitChild(pid);
    if (fed == kChanged) {
      changed_ = true;
      error_ = "the job changed while printing";
      return false;
    }
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

 private:
  std::vector<std::string> argv_;
  bool quiet_;
};

}  // namespace

std::vector<std::string> shellCommand(const std::string& command) {
  return {"/bin/sh", "-c", command};
}

std::unique_ptr<Sink> openCommandSink(const std::vector<std::string>& argv, bool quiet,
                                      std::string& error) {
  if (argv.empty()) {
    error = "no command";
    return nullptr;
  }
  ignoreBrokenPipes();
  return std::make_unique<CommandSink>(argv, quiet);
}

}  // namespace platform
