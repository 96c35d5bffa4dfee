#include "platform/launch_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/posix/launch_posix.h"

namespace platform {

PrivateLock::Take PrivateLock::take(const std::string& path, bool wait, std::string& error) {
  release();
  // A holder removes the file before it lets go, so whoever then gets the lock on the old file
  // must look again: the lock is the file the path names now.
  for (int attempt = 0; attempt < 100; ++attempt) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) return failWith(error, path), Take::Failed;
    while (::flock(fd.get(), wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno == EWOULDBLOCK) return Take::Busy;
      return failWith(error, "lock " + path), Take::Failed;
    }
    struct stat held, named;
    if (::fstat(fd.get(), &held) != 0) return failWith(error, path), Take::Failed;
    if (::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino) {
      fd_ = fd.release();
      path_ = path;
      return Take::Locked;
    }
  }
  error = path + ": keeps being replaced";
  return Take::Failed;
}

void PrivateLock::release() {
  if (fd_ < 0) return;
  if (removeFile_) ::unlink(path_.c_str());
  ::close(fd_);
  fd_ = -1;
}

bool writeNote(const std::string& path, const std::string& text) {
  const std::string temp = path + ".new" + std::to_string(::getpid());
  UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) return false;
  const bool ok = writeAll(fd.get(), text.data(), text.size()) && ::close(fd.release()) == 0 &&
                  ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool readNote(const std::string& path, std::string& text, std::int64_t& ageMs) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st;
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd.get(), buffer, sizeof buffer)) < 0 && errno == EINTR) {
  }
  if (n < 0) return false;
  text.assign(buffer, static_cast<std::size_t>(n));
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  ageMs = (static_cast<std::int64_t>(now.tv_sec) - st.st_mtim.tv_sec) * 1000 +
          (now.tv_nsec - st.st_mtim.tv_nsec) / 1000000;
  return true;
}

void removeNote(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace platform
