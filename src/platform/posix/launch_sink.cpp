#include "platform/launch_sink.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/launch_host.h"
#include "platform/posix/launch_posix.h"

namespace platform {

long long Sink::sendFrom(int, std::uint64_t, std::size_t) {
  return kByWrite;
}

namespace {

// Waits for our turn at the sink.
bool lockExclusive(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// A character device or FIFO: bytes go straight out, so there is nothing to take back.
class StreamSink : public Sink {
 public:
  explicit StreamSink(UniqueFd fd) : fd_(std::move(fd)) {}
  bool write(const char* data, std::size_t size) override {
    return writeAll(fd_.get(), data, size) || failWith(error_, "write");
  }
  bool commit() override {
    bool ok = ::close(fd_.release()) == 0;
    return ok || failWith(error_, "close");
  }
  void abort() override { fd_.reset(); }

 private:
  UniqueFd fd_;
};

// A regular file the jobs are appended to; a failed job is cut off again.
class AppendSink : public Sink {
 public:
  AppendSink(UniqueFd fd, off_t start) : fd_(std::move(fd)), start_(start) {}
  bool write(const char* data, std::size_t size) override {
    return writeAll(fd_.get(), data, size) || failWith(error_, "write");
  }
  bool commit() override {
    if (::fsync(fd_.get()) != 0) {
      failWith(error_, "fsync");
      abort();
      return false;
    }
    fd_.reset();
    return true;
  }
  void abort() override {
    if (fd_ && ::ftruncate(fd_.get(), start_) != 0) failWith(error_, "truncate");
    fd_.reset();
  }

 private:
  UniqueFd fd_;
  off_t start_;
};

// A device, FIFO or file takes the bytes as they come, so a launcher killed half way would leave
// half a job there. The job is gathered in an unnamed copy first and sent at commit by a child
// process in a group of its own, which finishes the job even when the launcher is killed.
class DetachedSink : public Sink {
 public:
  DetachedSink(std::unique_ptr<Sink> inner, UniqueFd copy)
      : inner_(std::move(inner)), copy_(std::move(copy)) {}

  bool write(const char* data, std::size_t size) override {
    return writeAll(copy_.get(), data, size) || failWith(error_, "write job copy");
  }

  bool commit() override {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return failWith(error_, "pipe");
    UniqueFd why(pipeFds[0]), tell(pipeFds[1]);
    const pid_t sender = ::fork();
    if (sender == 0) {
      ::setpgid(0, 0);
      why.reset();
      std::string reason;
      if (send(reason)) ::_exit(0);
      writeAll(tell.get(), reason.data(), reason.size());
      ::_exit(1);
    }
    tell.reset();
    if (sender < 0) {
      failWith(error_, "fork");
      abort();
      return false;
    }
    std::string reason;
    char buffer[256];
    for (ssize_t n; (n = ::read(why.get(), buffer, sizeof buffer)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      reason.append(buffer, static_cast<std::size_t>(n));
    }
    const bool sent = waitChild(sender) == 0;
    // The child committed or took back what it could; ours goes now, and with it the lock.
    inner_.reset();
    copy_.reset();
    if (sent) return true;
    error_ = reason.empty() ? "the job was not sent whole" : reason;
    return false;
  }

  void abort() override {
    copy_.reset();
    if (inner_) inner_->abort();
    inner_.reset();
  }

 private:
  // In the sending child; why it failed in reason.
  bool send(std::string& reason) {
    auto write = [](void* sink, const char* data, std::size_t size) {
      return static_cast<Sink*>(sink)->write(data, size);
    };
    if (!sendCopy(copy_.get(), write, inner_.get())) {
      reason = inner_->error().empty() ? "reading the job copy failed" : inner_->error();
      inner_->abort();
      return false;
    }
    if (inner_->commit()) return true;
    reason = inner_->error();
    return false;
  }

  std::unique_ptr<Sink> inner_;
  UniqueFd copy_;
};

std::unique_ptr<Sink> detached(std::unique_ptr<Sink> inner, std::string& error) {
  UniqueFd copy;
  if (!openUnnamedCopy(copy, error)) return nullptr;
  return std::make_unique<DetachedSink>(std::move(inner), std::move(copy));
}

std::string timeStamp() {
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  struct tm local;
  ::localtime_r(&now.tv_sec, &local);
  char text[64];
  std::size_t n = std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  std::snprintf(text + n, sizeof text - n, ".%09ld", static_cast<long>(now.tv_nsec));
  return text;
}

// A folder: each job a new file, written unnamed (or, where the file system cannot, under a
// hidden temporary name), flushed, then given a name no other job has, so a reader of the folder
// never sees a half-written job and a launcher killed meanwhile leaves nothing behind.
class FolderSink : public Sink {
 public:
  FolderSink(UniqueFd dir, UniqueFd file, std::string tempName, std::string jobName)
      : dir_(std::move(dir)),
        file_(std::move(file)),
        tempName_(std::move(tempName)),
        jobName_(std::move(jobName)),
        unnamed_(tempName_.empty()) {}
  ~FolderSink() override { abort(); }

  bool write(const char* data, std::size_t size) override {
    return writeAll(file_.get(), data, size) || failWith(error_, "write");
  }

  long long sendFrom(int fd, std::uint64_t offset, std::size_t size) override {
    for (;;) {
      off64_t from = static_cast<off64_t>(offset);
      const ssize_t n = ::copy_file_range(fd, &from, file_.get(), nullptr, size, 0);
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      // Another file system, or one that cannot: nothing was sent, write() takes over from here.
      if (errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP || errno == ENOSYS)
        return kByWrite;
      failWith(error_, "copy");
      return -1;
    }
  }

  bool commit() override {
    // An unnamed file stays open until it is linked in under its name.
    if (::fsync(file_.get()) != 0 || (!unnamed_ && ::close(file_.release()) != 0)) {
      failWith(error_, unnamed_ ? "job file" : tempName_);
      abort();
      return false;
    }
    // Room for the time stamp and a counter within a file name's 255 bytes.
    std::string base = timeStamp() + "-" + jobName_.substr(0, 200);
    for (int attempt = 1; attempt < 1000; ++attempt) {
      std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
      if (publish(name)) {
        tempName_.clear();
        file_.reset();
        if (::fsync(dir_.get()) != 0) return failWith(error_, "fsync folder");
        return true;
      }
      if (errno != EEXIST) break;
    }
    failWith(error_, unnamed_ ? "name the job file" : "rename " + tempName_);
    abort();
    return false;
  }

  void abort() override {
    file_.reset();
    if (!tempName_.empty()) ::unlinkat(dir_.get(), tempName_.c_str(), 0);
    tempName_.clear();
  }

 private:
  // Never replaces an existing file.
  bool publish(const std::string& name) {
    if (unnamed_) {
      const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
      return ::linkat(AT_FDCWD, self.c_str(), dir_.get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }
    if (::renameat2(dir_.get(), tempName_.c_str(), dir_.get(), name.c_str(), RENAME_NOREPLACE) == 0)
      return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: a hard link fails the same way on an existing name.
    if (::linkat(dir_.get(), tempName_.c_str(), dir_.get(), name.c_str(), 0) != 0) return false;
    ::unlinkat(dir_.get(), tempName_.c_str(), 0);
    return true;
  }

  UniqueFd dir_;
  UniqueFd file_;
  std::string tempName_;
  std::string jobName_;
  bool unnamed_;
};

// mkdir -p: each missing level, readable by others as a printer's output usually is.
bool makeFolders(const std::string& path) {
  for (std::size_t end = path.find('/', 1); end != std::string::npos;
       end = path.find('/', end + 1)) {
    if (::mkdir(path.substr(0, end).c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

std::unique_ptr<Sink> openFolderSink(const std::string& path, const std::string& jobName,
                                     std::string& error) {
  UniqueFd dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) return failWith(error, path), nullptr;
  // Jobs written into the spool folder itself would come back as new jobs, for ever.
  struct stat sink, spool;
  if (::fstat(dir.get(), &sink) != 0 || ::stat(".", &spool) != 0)
    return failWith(error, path), nullptr;
  if (sink.st_dev == spool.st_dev && sink.st_ino == spool.st_ino) {
    error = path + ": is the spool folder";
    return nullptr;
  }
  if (!lockExclusive(dir.get())) return failWith(error, "lock " + path), nullptr;
  // An unnamed file is linked in through /proc; without either, a hidden temporary name.
  UniqueFd file(::openat(dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (file && ::access("/proc/self/fd", F_OK) == 0)
    return std::make_unique<FolderSink>(std::move(dir), std::move(file), std::string(), jobName);
  std::string tempName = ".lptspool-" + std::to_string(::getpid()) + ".tmp";
  ::unlinkat(dir.get(), tempName.c_str(), 0);  // left by a launcher of ours that died
  file = UniqueFd(::openat(dir.get(), tempName.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!file) return failWith(error, path + "/" + tempName), nullptr;
  return std::make_unique<FolderSink>(std::move(dir), std::move(file), tempName, jobName);
}

}  // namespace

std::string defaultDevice() {
  return "/dev/lp0";
}

std::unique_ptr<Sink> openPathSink(const std::string& path, const std::string& jobName,
                                   std::string& error) {
  ignoreBrokenPipes();  // a FIFO's reader may go away mid-job: a failed write, not our death
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    // Only a name ending in '/' says "a folder": that one is made, a missing device never is.
    if (errno != ENOENT || path.empty() || path.back() != '/' || !makeFolders(path))
      return failWith(error, path), nullptr;
    return openFolderSink(path, jobName, error);
  }
  if (S_ISDIR(st.st_mode)) return openFolderSink(path, jobName, error);
  if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode) && !S_ISREG(st.st_mode)) {
    error = path + ": neither a character device, a FIFO, a folder nor a regular file";
    return nullptr;
  }
  // O_NONBLOCK: a FIFO without a reader fails at once (ENXIO) instead of hanging or, worse,
  // taking the job for a reader that never comes. No O_CREAT: a missing printer is a failure,
  // never a new file.
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd) return failWith(error, path), nullptr;
  if (::fstat(fd.get(), &st) != 0 || !clearNonBlocking(fd.get()))
    return failWith(error, path), nullptr;
  if (!lockExclusive(fd.get())) return failWith(error, "lock " + path), nullptr;
  if (S_ISREG(st.st_mode)) {
    off_t end = ::lseek(fd.get(), 0, SEEK_END);
    if (end < 0) return failWith(error, path), nullptr;
    return detached(std::make_unique<AppendSink>(std::move(fd), end), error);
  }
  if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode)) {
    error = path + ": changed its kind";
    return nullptr;
  }
  return detached(std::make_unique<StreamSink>(std::move(fd)), error);
}

}  // namespace platform
