#include "platform/launch_job.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/launch_posix.h"
#include "platform/launch_sink.h"

namespace platform {

JobFile::~JobFile() {
  close();
}

JobFile::JobFile(JobFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      name_(std::move(other.name_)),
      error_(std::move(other.error_)) {}

JobFile& JobFile::operator=(JobFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    name_ = std::move(other.name_);
    error_ = std::move(other.error_);
  }
  return *this;
}

void JobFile::close() {
  if (fd_ >= 0) ::close(fd_);  // also releases the lock
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

JobFile::Lock JobFile::tryLock() {
  if (fd_ < 0) return Lock::Failed;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return Lock::Busy;
    failWith(error_, name_);
    return Lock::Failed;
  }
  bool missing = false;
  if (sameAsName(missing)) return Lock::Locked;
  ::flock(fd_, LOCK_UN);
  return missing ? Lock::Gone : Lock::Replaced;
}

bool JobFile::stamp(FileStamp& out) const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
  out.size = static_cast<std::uint64_t>(st.st_size);
  out.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  out.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return true;
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

long long JobFile::sendTo(Sink& sink, std::uint64_t offset, std::size_t size) const {
  return fd_ < 0 ? -1 : sink.sendFrom(fd_, offset, size);
}

JobFile::Removal JobFile::removeName() {
  bool missing = false;
  if (!sameAsName(missing)) {
    if (missing) return Removal::Missing;
    error_ = name_ + ": now names another file";
    return Removal::Replaced;
  }
  if (::unlink(name_.c_str()) == 0) return Removal::Removed;
  if (errno == ENOENT) return Removal::Missing;
  failWith(error_, name_);
  return Removal::Failed;
}

}  // namespace platform
