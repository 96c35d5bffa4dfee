#include "platform/launch_job.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/launch_sink.h"
#include "platform/posix/launch_posix.h"

namespace platform {

void JobFile::close() {
  lock_.release();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

JobFile::Open JobFile::open(const std::string& name) {
  close();
  name_ = name;
  UniqueFd fd(::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd) {
    Open result = errno == ENOENT  ? Open::Missing
                  : errno == ELOOP ? Open::NotRegular
                                   : Open::Failed;
    failWith(error_, name);
    return result;
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) {
    failWith(error_, name);
    return Open::Failed;
  }
  if (!S_ISREG(st.st_mode)) {
    error_ = name + ": not a regular file";
    return Open::NotRegular;
  }
  if (!clearNonBlocking(fd.get())) {
    failWith(error_, name);
    return Open::Failed;
  }
  fd_ = fd.release();
  return Open::Ok;
}

bool JobFile::sameAsName(bool& missing) {
  struct stat mine, named;
  missing = false;
  if (::fstat(fd_, &mine) != 0) return false;
  if (::lstat(name_.c_str(), &named) != 0) {
    missing = errno == ENOENT;
    return false;
  }
  return mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

JobFile::Lock JobFile::tryLock(const std::string& lockFolder) {
  if (fd_ < 0) return Lock::Failed;
  switch (lock_.take(lockFolder + "job-" + key() + ".lock", false, error_)) {
    case PrivateLock::Take::Locked:
      break;
    case PrivateLock::Take::Busy:
      return Lock::Busy;
    case PrivateLock::Take::Failed:
      return Lock::Failed;
  }
  bool missing = false;
  if (sameAsName(missing)) return Lock::Locked;
  lock_.release();
  return missing ? Lock::Gone : Lock::Replaced;
}

std::string JobFile::key() const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return "unknown";
  return std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino);
}

bool JobFile::identity(const FileStamp& settled, JobIdentity& out) const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
  out = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), settled.size,
         settled.mtimeNs};
  return true;
}

bool JobFile::facts(JobFacts& out) const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
  out = {static_cast<std::uint64_t>(st.st_size), static_cast<std::uint64_t>(st.st_blocks) * 512,
         static_cast<std::uint64_t>(st.st_nlink)};
  return true;
}

namespace {

// Immutable and append-only files, and folders, refuse a deletion even to their owner.
bool pinned(int fd) {
  int flags = 0;
  return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
         (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
}

}  // namespace

bool JobFile::deletable(std::string& why) const {
  struct stat job, folder;
  UniqueFd dir(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd_ < 0 || !dir || ::fstat(fd_, &job) != 0 || ::fstat(dir.get(), &folder) != 0)
    return failWith(why, name_);
  // The kernel's own answer for the folder: permissions, ACLs, a read-only mount.
  if (::faccessat(dir.get(), ".", W_OK | X_OK, AT_EACCESS) != 0)
    return failWith(why, "the spool folder cannot be changed by this user");
  // In a sticky folder (mode 1777) only the job's or the folder's owner may delete the job.
  const uid_t me = ::geteuid();
  if ((folder.st_mode & S_ISVTX) && me != 0 && job.st_uid != me && folder.st_uid != me) {
    why = "it belongs to another user, and the spool folder lets only him delete it";
    return false;
  }
  if (pinned(fd_) || pinned(dir.get())) {
    why = "it or the spool folder is immutable or append-only";
    return false;
  }
  return true;
}

bool JobFile::stamp(FileStamp& out) const {
  return stampOf(fd_, out);
}

JobFile::Writers JobFile::writers() const {
  if (fd_ < 0) return Writers::Unknown;
  // A writer opening the file while we hold the lease breaks it, and the kernel tells us with
  // SIGIO, whose default would end the launcher. We give the lease back at once anyway.
  static const bool ignored = ::signal(SIGIO, SIG_IGN) != SIG_ERR;
  (void)ignored;
  // A read lease is refused while any open file description may write the file; taken, it is
  // given back at once, before a writer could wait on it.
  if (::fcntl(fd_, F_SETLEASE, F_RDLCK) == 0) {
    ::fcntl(fd_, F_SETLEASE, F_UNLCK);
    return Writers::None;
  }
  return errno == EAGAIN ? Writers::Some : Writers::Unknown;
}

long long JobFile::readAt(std::uint64_t offset, char* buffer, std::size_t size) const {
  for (;;) {
    ssize_t n = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

bool JobFile::printTo(Sink& sink, const FileStamp& settled) const {
  return fd_ >= 0 && sink.print(fd_, settled);
}

JobFile::Removal JobFile::removeName() {
  nameless_ = false;
  bool missing = false;
  if (!sameAsName(missing)) {
    if (missing) return Removal::Missing;
    error_ = name_ + ": now names another file";
    return Removal::Replaced;
  }
  if (::unlink(name_.c_str()) == 0) {
    struct stat st;
    nameless_ = ::fstat(fd_, &st) == 0 && st.st_nlink == 0;
    return Removal::Removed;
  }
  if (errno == ENOENT) return Removal::Missing;
  failWith(error_, name_);
  return Removal::Failed;
}

}  // namespace platform
