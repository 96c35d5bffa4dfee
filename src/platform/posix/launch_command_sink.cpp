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

bool writeTo(void* fd, const char* data, std::size_t size) {
  return writeAll(*static_cast<int*>(fd), data, size);
}

// Ends the feeder's process group at once: the command and whatever it started die before they
// see an end of input, so a command that acts only on a whole input (lp) prints nothing.
[[noreturn]] void killGroup() {
  ::kill(0, SIGKILL);
  ::_exit(1);
}

// Runs in a child that leads the command's process group, started before the command: from then
// on only this child can end the command's input, so the command sees the job's real end or none
// even when the launcher is killed at any moment. It writes nothing until the launcher says the
// command has joined its group (go), so a job that changed can never reach a command that is
// started after the kill.
[[noreturn]] void feed(int job, const FileStamp& settled, int input, int go) {
  char started = 0;
  ssize_t got;
  while ((got = ::read(go, &started, 1)) < 0 && errno == EINTR) {
  }
  if (got != 1) killGroup();  // the launcher died or could not start the command
  ::close(go);
  bool shortened = false;
  if (!sendJob(job, settled.size, writeTo, &input, shortened)) {
    if (shortened) killGroup();
    ::_exit(1);
  }
  FileStamp now;
  if (!stampOf(job, now) || !now.sameContent(settled)) killGroup();
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
    int pipeFds[2], goFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return failWith(error_, "pipe");
    UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    if (::pipe2(goFds, O_CLOEXEC) != 0) return failWith(error_, "pipe");
    UniqueFd goRead(goFds[0]), goWrite(goFds[1]);
    const pid_t feeder = ::fork();
    if (feeder == 0) {
      // Its own group, which the command joins: whoever kills the launcher's group leaves the
      // two together, and whoever kills the command's group takes both.
      if (::setpgid(0, 0) != 0) ::_exit(1);  // never end the launcher's own group
      readEnd.reset();  // a command that quits early must fail our writes, not block them
      goWrite.reset();
      feed(jobFd, settled, writeEnd.get(), goRead.get());
    }
    if (feeder < 0) return failWith(error_, "fork");
    ::setpgid(feeder, feeder);  // here too, so the group exists before the command joins it
    writeEnd.reset();
    goRead.reset();
    SpawnSetup setup;
    setup.folder = commandFolder();
    setup.stdinFd = readEnd.get();
    setup.quietStdout = quiet_;
    setup.quietStderr = quiet_;
    setup.processGroup = feeder;
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
    if (!spawnChild(argv_, commandEnvironment(), setup, pid)) {
      failWith(error_, argv_[0]);
      goWrite.reset();  // the feeder ends without a word
      waitChild(feeder);
      return false;
    }
    readEnd.reset();
    errWrite.reset();
    const char go = 1;
    writeAll(goWrite.get(), &go, 1);  // a failure leaves the feeder to end the group
    goWrite.reset();
    // The command first: while the feeder writes its input, it may be writing its errors.
    std::string said;
    const int status = errRead ? waitReading(pid, errRead.get(), said) : waitChild(pid);
    // A command that quits early leaves the feeder with a closed pipe: a failure too.
    const int fed = waitChild(feeder);
    FileStamp now;
    if (fed != 0 && (!stampOf(jobFd, now) || !now.sameContent(settled))) {
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
