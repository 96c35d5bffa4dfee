// POSIX helpers shared by the launcher's host files; never included outside src/platform.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
  UniqueFd& operator=(UniqueFd&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// Sets error to "what: <errno text>" and returns false.
bool failWith(std::string& error, const std::string& what);

// Writes everything, retrying after interruptions and short writes.
bool writeAll(int fd, const char* data, std::size_t size);

bool clearNonBlocking(int fd);

struct SpawnSetup {
  int stdinFd = -1;   // -1: /dev/null
  int stdoutFd = -1;  // -1: inherited, unless quietStdout
  bool quietStdout = false;
  bool quietStderr = false;
  bool ownProcessGroup = false;
};

// Starts argv (PATH lookup) with SIGPIPE at its default; env null means ours.
bool spawnChild(const std::vector<std::string>& argv, const std::vector<std::string>* env,
                const SpawnSetup& setup, pid_t& pid);

// Waits for the child; its exit status, or -1 when a signal ended it.
int waitChild(pid_t pid);

// An unnamed file in the working folder (which holds the job, so it has room for a copy): a
// launcher that dies leaves nothing behind.
bool openUnnamedCopy(UniqueFd& copy, std::string& error);

// Hands the whole of the copy, from its start, to send in pieces; false as soon as send fails.
bool sendCopy(int copy, bool (*send)(void* context, const char* data, std::size_t size),
              void* context);

}  // namespace platform
