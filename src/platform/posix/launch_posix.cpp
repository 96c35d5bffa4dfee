#include "platform/posix/launch_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace platform {

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

bool failWith(std::string& error, const std::string& what) {
  error = what + ": " + std::strerror(errno);
  return false;
}

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool clearNonBlocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool spawnChild(const std::vector<std::string>& argv, const std::vector<std::string>* env,
                const SpawnSetup& setup, pid_t& pid) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  if (env) {
    for (const std::string& e : *env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  // The child never reads our standard input.
  if (setup.stdinFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, setup.stdinFd, 0);
  else
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (setup.stdoutFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, setup.stdoutFd, 1);
  else if (setup.quietStdout)
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (setup.quietStderr) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  // We ignore SIGPIPE and SIGIO ourselves; a command expects the defaults.
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGIO);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  short flags = POSIX_SPAWN_SETSIGDEF;
  if (setup.ownProcessGroup) {
    posix_spawnattr_setpgroup(&attr, 0);
    flags |= POSIX_SPAWN_SETPGROUP;
  }
  posix_spawnattr_setflags(&attr, flags);

  int rc = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), env ? envp.data() : environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) errno = rc;
  return rc == 0;
}

bool openUnnamedCopy(UniqueFd& copy, std::string& error) {
  UniqueFd fd(::open(".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (!fd) {
    // File systems without unnamed files: a hidden name, gone again at once.
    char name[] = ".lptspool-job-XXXXXX";
    fd = UniqueFd(::mkostemp(name, O_CLOEXEC));
    if (!fd) return failWith(error, "job copy");
    ::unlink(name);
  }
  copy = std::move(fd);
  return true;
}

bool sendCopy(int copy, bool (*send)(void* context, const char* data, std::size_t size),
              void* context) {
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    ssize_t n = ::pread(copy, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!send(context, buffer, static_cast<std::size_t>(n))) return false;
    offset += n;
  }
}

int waitChild(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platform
