#include "platform/spool_handle.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "platform/dos_path.h"
#include "platform/posix/spool_pin.h"

namespace platform {

namespace {

struct Pin {
  int fd = -1;
  std::string folder;  // host path as configured, ending in '/'
  dev_t device = 0;
  ino_t inode = 0;
  // What decides whether a job of another user can be deleted, taken once a tick: a job then
  // costs one stat.
  bool changeable = false;
  bool othersStay = false;  // sticky, and neither root's server nor the folder's owner
};

void judgeFolder(Pin& p) {
  struct stat dir {};
  const uid_t me = ::geteuid();
  p.changeable = ::fstat(p.fd, &dir) == 0 && ::faccessat(p.fd, ".", W_OK | X_OK, AT_EACCESS) == 0;
  p.othersStay = (dir.st_mode & S_ISVTX) && me != 0 && dir.st_uid != me;
}
Pin pin;

std::string ownerName(uid_t uid) {
  const passwd* pw = ::getpwuid(uid);
  std::string text = "user " + std::to_string(uid);
  return pw && pw->pw_name ? text + " (" + pw->pw_name + ")" : text;
}

std::string withoutSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Walks the path a level at a time: a symbolic link in a folder others may write to could have
// been put there by anyone, so nothing is reached through one. Links elsewhere are followed.
bool linkInWritableFolder(const std::string& path, std::string& reason) {
  std::string real = "/";
  std::size_t at = 1;
  while (at < path.size()) {
    std::size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == ".") continue;
    const std::string next = real == "/" ? "/" + part : real + "/" + part;
    struct stat st {};
    if (::lstat(next.c_str(), &st) != 0) return false;  // missing: nothing beyond to follow
    if (!S_ISLNK(st.st_mode)) {
      real = next;
      continue;
    }
    struct stat parent {};
    if (::stat(real.c_str(), &parent) == 0 && (parent.st_mode & S_IWOTH)) {
      reason = "the spool folder " + withoutSlash(path) + " is reached through the symbolic link " +
               next + " (owned by " + ownerName(st.st_uid) + ") in the folder " + real +
               ", which anyone may change; give the folder's real path";
      return true;
    }
    char* resolved = ::realpath(next.c_str(), nullptr);
    if (!resolved) return false;
    real = resolved;
    std::free(resolved);
  }
  return false;
}

// Opens the folder itself, never through a link in its last level, and judges it.
FolderState openChecked(const std::string& folder, int& fd, struct stat& st, std::string& reason) {
  const std::string path = withoutSlash(folder);
  struct stat link {};
  const bool there = ::lstat(path.c_str(), &link) == 0;
  if (there && S_ISLNK(link.st_mode)) {
    reason = "the spool folder " + path + " is a symbolic link (owned by " +
             ownerName(link.st_uid) + "), not a folder; give the folder's real path";
    return FolderState::Refused;
  }
  if (linkInWritableFolder(path, reason)) return FolderState::Refused;
  if (!there) return FolderState::Missing;
  fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    fd = -1;
    if (errno == ENOENT) return FolderState::Missing;
    reason = "the spool folder " + path + " is not a folder this user can open (owned by " +
             ownerName(link.st_uid) + ")";
    return FolderState::Refused;
  }
  if (st.st_uid != ::geteuid() && st.st_uid != 0) {
    ::close(fd);
    fd = -1;
    reason = "the spool folder " + path + " belongs to " + ownerName(st.st_uid) +
             ", not to this user or root; anyone who owns it could swap what it holds";
    return FolderState::Refused;
  }
  return FolderState::Ready;
}

FolderState hold(const std::string& folder, std::string& reason) {
  int fd = -1;
  struct stat st {};
  const FolderState state = openChecked(folder, fd, st, reason);
  if (state != FolderState::Ready) return state;
  if (pin.fd >= 0) ::close(pin.fd);
  pin = Pin{fd, folder, st.st_dev, st.st_ino, false, false};
  judgeFolder(pin);
  return FolderState::Ready;
}

// Makes the missing levels one by one. Each level made is checked at once to be the folder just
// made, ours, and no link: in a folder anyone may write to, another user could have put his own
// folder or a link there first.
bool makeLevels(const std::string& path) {
  std::size_t at = 1;
  while (at <= path.size()) {
    std::size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    const std::string level = path.substr(0, end);
    at = end + 1;
    struct stat st {};
    if (::lstat(level.c_str(), &st) == 0) continue;
    if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (::lstat(level.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
      return false;
  }
  return true;
}

}  // namespace

int pinnedFolderFd(const std::string& hostFolder) {
  if (pin.fd < 0) return -1;
  const std::string a = withoutSlash(hostFolder), b = withoutSlash(pin.folder);
  return a == b ? pin.fd : -1;
}

int openFolder(const std::string& hostFolder) {
  const int held = pinnedFolderFd(hostFolder);
  if (held >= 0) return ::openat(held, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

FolderState openSpoolFolder(const std::string& dosFolder, std::string& reason) {
  std::string folder;
  if (!toHostPath(dosFolder, folder) || folder.empty()) {
    reason = "the spool folder must be an absolute folder";
    return FolderState::Refused;
  }
  const FolderState first = hold(folder, reason);
  if (first != FolderState::Missing) return first;
  makeLevels(withoutSlash(folder));
  return hold(folder, reason);
}

FolderState checkSpoolFolder(const std::string& dosFolder, std::string& reason) {
  std::string folder;
  if (!toHostPath(dosFolder, folder) || folder.empty()) return FolderState::Missing;
  if (pin.fd < 0 || withoutSlash(pin.folder) != withoutSlash(folder)) return hold(folder, reason);
  const std::string path = withoutSlash(folder);
  struct stat held {
  }, now{};
  const bool there = ::lstat(path.c_str(), &now) == 0;
  if (there && S_ISDIR(now.st_mode) && now.st_dev == pin.device && now.st_ino == pin.inode &&
      !linkInWritableFolder(path, reason)) {
    // Still ours: an owner changed under us (by root) counts as much as a swap.
    if (::fstat(pin.fd, &held) == 0 && held.st_uid != ::geteuid() && held.st_uid != 0) {
      reason = "the spool folder " + path + " now belongs to " + ownerName(held.st_uid) +
               ", not to this user or root";
      return FolderState::Refused;
    }
    judgeFolder(pin);
    return FolderState::Ready;
  }
  // A folder that was deleted (no name leads to it any more) may be made anew: the new one is
  // held when it is fit to use. One that still exists elsewhere was moved or swapped: what is at
  // its path now is not followed.
  const bool deleted = ::fstat(pin.fd, &held) == 0 && held.st_nlink == 0;
  if (deleted) {
    if (!there) return FolderState::Missing;
    return hold(folder, reason);
  }
  if (!there) return FolderState::Missing;
  if (reason.empty())
    reason = "the spool folder " + path +
             " was moved or replaced by another folder or a link; printing stops until it is "
             "back";
  return FolderState::Refused;
}

bool lookAtJob(const std::string& dosFolder, const std::string& name, JobLook& look) {
  std::string folder;
  if (!toHostPath(dosFolder, folder)) return false;
  const int fd = pinnedFolderFd(folder);
  if (fd < 0) return false;
  struct stat st {};
  if (name.empty() || name.find('/') != std::string::npos ||
      ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
    return false;
  const uid_t me = ::geteuid();
  look.size = static_cast<std::uint64_t>(st.st_size);
  look.allocated = static_cast<std::uint64_t>(st.st_blocks) * 512;
  look.links = static_cast<std::uint64_t>(st.st_nlink);
  look.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  look.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  look.owner = st.st_uid;
  look.mine = st.st_uid == me;
  // In a sticky folder (mode 1777) only the job's or the folder's owner may delete the job.
  look.deletable = pin.changeable && (st.st_uid == me || !pin.othersStay);
  return true;
}

std::int64_t fileClockNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void releaseSpoolFolder() {
  if (pin.fd >= 0) ::close(pin.fd);
  pin = Pin{};
}

}  // namespace platform
