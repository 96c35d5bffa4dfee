// POSIX helpers shared by the launcher's host files; never included outside src/platform.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct FileStamp;

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
  std::string folder;  // where it runs; empty: ours
  int stdinFd = -1;    // -1: /dev/null
  int stdoutFd = -1;   // -1: inherited, unless quietStdout
  bool quietStdout = false;
  int stderrFd = -1;  // -1: inherited, unless quietStderr
  bool quietStderr = false;
  pid_t processGroup = -1;  // -1: ours; otherwise the group it joins
};

// findProgram's lookup on a given PATH's value; searchPathOf gives the value an unset PATH
// stands for.
bool findProgramOn(const std::string& name, const std::string& search, std::string& path);
std::string searchPathOf(const char* pathVariable);

// Starts argv with SIGPIPE at its default in the environment env. A bare program name is looked
// up on env's PATH as findProgram looks it up on ours.
bool spawnChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const SpawnSetup& setup, pid_t& pid);

// Our environment for a print command, extra entries added: PATH keeps only its absolute entries,
// so neither the command nor a shell it runs can find a program in whatever folder it stands in.
std::vector<std::string> commandEnvironment(const std::vector<std::string>& extra = {});

// Where print commands run: the user's home folder, or "/" when it is missing or is the working
// folder. Never the spool folder, where anyone who may drop a job could plant a program.
std::string commandFolder();

// Waits for the child; its exit status, or -1 when a signal ended it.
int waitChild(pid_t pid);

bool stampOf(int fd, FileStamp& out);

// The printer folder at path, opened: a real folder (its last level no symbolic link, and no link
// on the way in a folder anyone may write) owned by this user or root. With create, missing levels
// are made, each from its parent's handle. An invalid handle with the reason otherwise.
UniqueFd openPrinterFolder(const std::string& path, bool create, std::string& error);

// Hands the first size bytes of the job, from its start, to send in pieces. False as soon as send
// or a read fails, or when the job ends short of size (then shortened is set).
bool sendJob(int job, std::uint64_t size,
             bool (*send)(void* context, const char* data, std::size_t size), void* context,
             bool& shortened);

}  // namespace platform
