#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

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
  if (!stampOf(job, now) || !now.sameContent(settled)) {
    ::kill(command, SIGKILL);
    ::_exit(kChanged);
  }
  ::_exit(0);
}

// Waits for the command, reading what it says on its standard error as it comes, so that a
// talkative command never blocks on a full pipe; only the last few KiB are kept.
int waitReading(pid_t pid, int fd, std::string& tail) {
  constexpr std::size_t kTail = 4096;
  auto drain = [&] {
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return n == 0 || errno != EAGAIN;  // true: nothing more will come
      tail.append(buffer, static_cast<std::size_t>(n));
      if (tail.size() > kTail) tail.erase(0, tail.size() - kTail);
    }
  };
  for (;;) {
    pollfd ready{fd, POLLIN, 0};
    ::poll(&ready, 1, 200);
    const bool ended = drain();
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, ended ? 0 : WNOHANG);
    if (done == pid) {
      drain();
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (done < 0 && errno != EINTR) return -1;
  }
}

// The last lines of what the command said, on one line: its own words on why it failed.
std::string lastLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  std::string joined;
  for (std::size_t i = lines.size() > 2 ? lines.size() - 2 : 0; i < lines.size(); ++i)
    joined += (joined.empty() ? "" : " / ") + lines[i];
  return joined;
}

class CommandSink : public Sink {
 public:
  CommandSink(std::vector<std::string> argv, bool quiet) : argv_(std::move(argv)), quiet_(quiet) {}

  bool takesBack() const override { return false; }

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
    // Quiet, the command's standard error is kept for the reason it failed.
    UniqueFd errRead, errWrite;
    int errFds[2];
    if (quiet_ && ::pipe2(errFds, O_CLOEXEC | O_NONBLOCK) == 0) {
      errRead.reset(errFds[0]);
      errWrite.reset(errFds[1]);
      clearNonBlocking(errFds[1]);
      setup.stderrFd = errFds[1];
    }
    pid_t pid = -1;
    if (!spawnChild(argv_, commandEnvironment(), setup, pid)) return failWith(error_, argv_[0]);
    readEnd.reset();
    errWrite.reset();  // before the fork: the feeder must not hold the pipe open
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
    // The command first: while the feeder writes its input, it may be writing its errors.
    std::string said;
    const int status = errRead ? waitReading(pid, errRead.get(), said) : waitChild(pid);
    // A command that quits early leaves the feeder with a closed pipe: a failure too.
    const int fed = waitChild(feeder);
    if (fed == kChanged) {
      changed_ = true;
      error_ = "the job changed while printing";
      return false;
    }
    if (status != 0) {
      error_ = status < 0 ? "command ended by a signal"
                          : "command exited with status " + std::to_string(status);
      const std::string words = lastLines(said);
      if (!words.empty()) error_ += ": " + words;
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
