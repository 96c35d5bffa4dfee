#include "platform/posix/launch_posix.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/launch_job.h"

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

bool spawnChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const SpawnSetup& setup, pid_t& pid) {
  std::string program;
  const char* search = nullptr;
  for (const std::string& e : env)
    if (e.compare(0, 5, "PATH=") == 0) search = e.c_str() + 5;
  if (argv.empty() || !findProgramOn(argv[0], searchPathOf(search), program)) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  if (!setup.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, setup.folder.c_str());
  // The child never reads our standard input.
  if (setup.stdinFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, setup.stdinFd, 0);
  else
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (setup.stdoutFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, setup.stdoutFd, 1);
  else if (setup.quietStdout)
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (setup.stderrFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, setup.stderrFd, 2);
  else if (setup.quietStderr)
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  // We ignore SIGPIPE and SIGIO ourselves; a command expects the defaults.
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGIO);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  short flags = POSIX_SPAWN_SETSIGDEF;
  if (setup.processGroup >= 0) {
    posix_spawnattr_setpgroup(&attr, setup.processGroup);
    flags |= POSIX_SPAWN_SETPGROUP;
  }
  posix_spawnattr_setflags(&attr, flags);

  int rc = ::posix_spawn(&pid, program.c_str(), &actions, &attr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) errno = rc;
  return rc == 0;
}

std::vector<std::string> commandEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string entry(*e);
    if (entry.compare(0, 5, "PATH=") != 0) {
      env.push_back(entry);
      continue;
    }
    std::string kept;
    std::size_t start = 5;
    for (;;) {
      std::size_t end = entry.find(':', start);
      std::string part = entry.substr(start, end == std::string::npos ? end : end - start);
      if (!part.empty() && part[0] == '/') kept += (kept.empty() ? "" : ":") + part;
      if (end == std::string::npos) break;
      start = end + 1;
    }
    env.push_back("PATH=" + kept);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

std::string commandFolder() {
  std::string home;
  if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
    home = h;
  } else if (const struct passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir[0] == '/') {
    home = pw->pw_dir;
  }
  struct stat there, here;
  if (home.empty() || ::stat(home.c_str(), &there) != 0 || !S_ISDIR(there.st_mode) ||
      ::stat(".", &here) != 0 || (there.st_dev == here.st_dev && there.st_ino == here.st_ino))
    return "/";
  return home;
}

bool stampOf(int fd, FileStamp& out) {
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0) return false;
  out.size = static_cast<std::uint64_t>(st.st_size);
  out.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  out.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return true;
}

bool sendJob(int job, std::uint64_t size,
             bool (*send)(void* context, const char* data, std::size_t size), void* context,
             bool& shortened) {
  char buffer[65536];
  std::uint64_t offset = 0;
  shortened = false;
  while (offset < size) {
    std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buffer, size - offset));
    ssize_t n = ::pread(job, buffer, want, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return shortened = true, false;
    if (!send(context, buffer, static_cast<std::size_t>(n))) return false;
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

int waitChild(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platform
