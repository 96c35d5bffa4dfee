#include "platform/process.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "platform/dos_path.h"
#include "platform/files.h"
#include "platform/posix/spool_pin.h"

extern char** environ;

namespace platform {
namespace {

std::vector<std::string> arguments;
std::string appPathOverride;

std::string readExecutableFolder() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return std::string();
  const std::string path(buffer, static_cast<size_t>(n));
  const size_t cut = path.rfind('/');
  return cut == 0 ? std::string("/") : path.substr(0, cut);
}

// Read once: the tick asks for it for every job, and the program's folder is the one it started
// from.
const std::string& executableFolder() {
  static const std::string folder = readExecutableFolder();
  return folder;
}

// A host absolute path in its DOS form; anything else unchanged.
std::string dosFormOf(const std::string& value) {
  std::string dos;
  return (!value.empty() && value[0] == '/' && toDosPath(value, dos)) ? dos : value;
}

// Launchers are started at most kMaxLiveLaunchers at a time: a failing printer with thousands of
// waiting jobs must not fill the machine with processes. Further starts wait in a queue, one entry
// per launcher file, and a small reaper thread starts them as others end. It watches only its own
// children, through their pidfds (the system reaps them, and libraries may start and wait for
// children of their own), lives only while launchers do, and touches nothing but this state.
struct Request {
  std::string folder, file;  // host folder ending in '/', launcher file name
  // The folder's handle, owned by the request until it is started or dropped: the launcher runs
  // in the folder the server held, whatever its path leads to by then.
  int dirFd = -1;
  bool operator<(const Request& other) const {
    return folder != other.folder ? folder < other.folder : file < other.file;
  }
};

struct Launches {
  std::mutex mutex;
  std::map<pid_t, int> live;  // pid -> pidfd
  std::deque<Request> queue;
  std::set<Request> queued;
  bool reaping = false;
  int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);  // a child added to a waiting reaper
  std::string program;                                // tests only
  std::string programPath() const {
    return program.empty() ? executableFolder() + "/lptspool-launch" : program;
  }
};

// Never destroyed: the reaper may still be waiting when the process ends.
Launches& launches() {
  static Launches* state = new Launches;
  return *state;
}

bool spawnLauncher(Launches& l, const Request& request) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  for (int fd = 0; fd < 3; ++fd)
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  posix_spawn_file_actions_addfchdir_np(&actions, request.dirFd);
  // The launcher must not inherit our disposition of children or signals: it waits for its own.
  sigset_t defaults, empty;
  sigemptyset(&defaults);
  for (int sig : {SIGCHLD, SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&defaults, sig);
  sigemptyset(&empty);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &empty);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  std::string argument = request.file;
  char* argv[] = {const_cast<char*>("lptspool-launch"), argument.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, l.programPath().c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) return false;
  // A child that cannot be watched is not counted: it would hold its place for good.
  // (Debian 12's C library declares pidfd_open without C linkage.)
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) l.live.emplace(pid, pidfd);
  return true;
}

// Starts waiting launchers while there is room. A launcher whose file has gone meanwhile (its job
// printed, its tick's files swept) has nothing to do and is not started.
void startQueued(Launches& l) {
  while (l.live.size() < kMaxLiveLaunchers && !l.queue.empty()) {
    const Request request = l.queue.front();
    l.queue.pop_front();
    l.queued.erase(request);
    struct stat st;
    if (fstatat(request.dirFd, request.file.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode))
      spawnLauncher(l, request);
    close(request.dirFd);
  }
}

void reap() {
  Launches& l = launches();
  std::vector<pollfd> fds;
  std::vector<pid_t> pids;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(l.mutex);
      if (l.live.empty()) {
        l.reaping = false;
        return;
      }
      fds.assign(1, pollfd{l.wake, POLLIN, 0});
      pids.assign(1, 0);
      for (const auto& [pid, pidfd] : l.live) {
        fds.push_back(pollfd{pidfd, POLLIN, 0});
        pids.push_back(pid);
      }
    }
    poll(fds.data(), fds.size(), -1);
    std::lock_guard<std::mutex> lock(l.mutex);
    uint64_t added;
    if (fds[0].revents && read(l.wake, &added, sizeof added) < 0) added = 0;
    for (size_t i = 1; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      // Collects the child unless the system already has.
      siginfo_t info;
      waitid(static_cast<idtype_t>(P_PIDFD), static_cast<id_t>(fds[i].fd), &info,
             WEXITED | WNOHANG);
      close(fds[i].fd);
      l.live.erase(pids[i]);
    }
    startQueued(l);
  }
}

}  // namespace

size_t launcherRoom() {
  Launches& l = launches();
  std::lock_guard<std::mutex> lock(l.mutex);
  const size_t taken = l.live.size() + l.queue.size();
  return taken < kMaxLiveLaunchers ? kMaxLiveLaunchers - taken : 0;
}

void setArguments(int argc, const char* const* argv) {
  arguments.clear();
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
}

std::string rebuildCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    std::string out = arg;
    const size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      std::string value = arg.substr(eq + 1);
      const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
      if (quoted) value = value.substr(1, value.size() - 2);
      const std::string converted = dosFormOf(value);
      // A quote inside would end the value early and name another folder: leave such an
      // argument as it stands, so that it is not read as an option.
      const bool carriable = converted.find('"') == std::string::npos;
      if (carriable && (quoted || converted != value))
        out = arg.substr(0, eq + 1) + '"' + converted + '"';
    } else if (!arg.empty() && arg[0] == '/') {
      const std::string converted = dosFormOf(arg);
      out = converted.find(' ') != std::string::npos ? '"' + converted + '"' : converted;
    }
    if (!line.empty()) line += ' ';
    line += out;
  }
  return line;
}

std::string commandLine() {
  return rebuildCommandLine(arguments);
}

void overrideAppPath(const std::string& dos) {
  appPathOverride = dos;
}

std::string appPath() {
  if (!appPathOverride.empty()) return appPathOverride;
  std::string dos;
  if (!toDosPath(executableFolder(), dos)) return std::string();
  if (dos.size() > 3 && dos.back() == '\\') dos.pop_back();
  return dos;
}

void reapChildrenAutomatically() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = SIG_IGN;
  action.sa_flags = SA_NOCLDWAIT;
  sigaction(SIGCHLD, &action, nullptr);
}

void overrideLauncherProgram(const std::string& hostPath) {
  std::lock_guard<std::mutex> lock(launches().mutex);
  launches().program = hostPath;
}

intptr_t shellExecute(const std::string& file, const std::string& directory) {
  if (!matchesPattern(file, "*.pif") || file.find('\\') != std::string::npos ||
      file.find('/') != std::string::npos)
    return 31;
  std::string folder;
  if (!toHostPath(directory, folder) || folder.empty()) return 3;
  if (folder.back() != '/') folder += '/';
  const int dirFd = openFolder(folder);
  if (dirFd < 0) return 3;
  struct stat st;
  if (fstatat(dirFd, file.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
    close(dirFd);
    return 2;
  }

  Launches& l = launches();
  std::lock_guard<std::mutex> lock(l.mutex);
  const Request request{folder, file, dirFd};
  // A launcher already waiting for its turn does what a second one would.
  if (access(l.programPath().c_str(), X_OK) != 0 || l.queued.count(request)) {
    close(dirFd);
    return l.queued.count(request) ? 42 : 2;
  }
  if (l.live.size() >= kMaxLiveLaunchers) {
    l.queue.push_back(request);
    l.queued.insert(request);
    return 42;
  }
  const bool spawned = spawnLauncher(l, request);
  close(dirFd);
  if (!spawned) return 2;
  if (l.reaping) {
    // The reaper is waiting on the children it knew: it watches this one too once woken.
    const uint64_t one = 1;
    const ssize_t woken = write(l.wake, &one, sizeof one);
    (void)woken;  // fails only when a wake-up is pending anyway
  } else {
    try {
      std::thread(reap).detach();
      l.reaping = true;
    } catch (const std::system_error&) {
      // Without a reaper the children's places would never come free: stop counting them.
      for (const auto& child : l.live) close(child.second);
      l.live.clear();
    }
  }
  return 42;
}

}  // namespace platform
