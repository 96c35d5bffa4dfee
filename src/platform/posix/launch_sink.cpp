#include "platform/launch_sink.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/launch_host.h"
#include "platform/posix/launch_posix.h"

namespace platform {

namespace {

bool writeTo(void* fd, const char* data, std::size_t size) {
  return writeAll(*static_cast<int*>(fd), data, size);
}

// A device, FIFO or file takes the bytes as they come, so a launcher killed half way would leave
// half a job there. A child process in a group of its own sends the job and completes it, and
// finishes even when the launcher is killed meanwhile. A file's failed job is cut off again.
class DetachedSink : public Sink {
 public:
  DetachedSink(UniqueFd fd, off_t appendStart) : fd_(std::move(fd)), appendStart_(appendStart) {}

  bool takesBack() const override { return appendStart_ >= 0; }

  bool print(int jobFd, const FileStamp& settled) override {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return failWith(error_, "pipe");
    UniqueFd why(pipeFds[0]), tell(pipeFds[1]);
    const pid_t sender = ::fork();
    if (sender == 0) {
      ::setpgid(0, 0);
      why.reset();
      std::string reason;
      const int status = send(jobFd, settled, reason);
      writeAll(tell.get(), reason.data(), reason.size());
      ::_exit(status);
    }
    tell.reset();
    fd_.reset();  // the sender's end is the only one: a FIFO's reader sees the end with it
    if (sender < 0) return failWith(error_, "fork");
    std::string reason;
    char buffer[256];
    for (ssize_t n; (n = ::read(why.get(), buffer, sizeof buffer)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      reason.append(buffer, static_cast<std::size_t>(n));
    }
    const int status = waitChild(sender);
    if (status == 0) return true;
    changed_ = status == kChanged;
    error_ = reason.empty() ? "the job was not sent whole" : reason;
    return false;
  }

 private:
  static constexpr int kChanged = 2;

  // In the sending child: its exit status, why it failed in reason.
  int send(int jobFd, const FileStamp& settled, std::string& reason) {
    int fd = fd_.get();
    bool shortened = false;
    if (!sendJob(jobFd, settled.size, writeTo, &fd, shortened)) {
      if (!shortened) failWith(reason, "write");
      takeBack(reason);
      if (shortened) return reason = "the job shrank while printing", kChanged;
      return 1;
    }
    FileStamp now;
    if (!stampOf(jobFd, now) || !now.sameContent(settled)) {
      takeBack(reason);
      return reason = "the job changed while printing", kChanged;
    }
    if (appendStart_ >= 0 && ::fsync(fd) != 0) {
      failWith(reason, "fsync");
      takeBack(reason);
      return 1;
    }
    if (::close(fd_.release()) != 0) return failWith(reason, "close"), 1;
    return 0;
  }

  void takeBack(std::string& reason) {
    if (appendStart_ >= 0 && ::ftruncate(fd_.get(), appendStart_) != 0)
      failWith(reason, "truncate");
  }

  UniqueFd fd_;
  off_t appendStart_;  // -1: a device or FIFO
};

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

  bool print(int jobFd, const FileStamp& settled) override {
    if (!copy(jobFd, settled.size)) return abort(), false;
    FileStamp now;
    if (!stampOf(jobFd, now) || !now.sameContent(settled)) {
      changed_ = true;
      error_ = "the job changed while printing";
      return abort(), false;
    }
    return commit();
  }

 private:
  // Inside the kernel where it can (copy_file_range, as cp does), else through a buffer.
  bool copy(int jobFd, std::uint64_t size) {
    std::uint64_t offset = 0;
    bool inKernel = true;
    std::vector<char> buffer;
    while (offset < size) {
      const std::size_t want =
          static_cast<std::size_t>(std::min<std::uint64_t>(16 << 20, size - offset));
      ssize_t n;
      if (inKernel) {
        off64_t from = static_cast<off64_t>(offset);
        n = ::copy_file_range(jobFd, &from, file_.get(), nullptr, want, 0);
        // Another file system, or one that cannot: nothing was sent, write() takes over.
        if (n < 0 &&
            (errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP || errno == ENOSYS)) {
          inKernel = false;
          continue;
        }
      } else {
        if (buffer.empty()) buffer.resize(64 * 1024);
        n = ::pread(jobFd, buffer.data(), std::min(want, buffer.size()),
                    static_cast<off_t>(offset));
        if (n > 0 && !writeAll(file_.get(), buffer.data(), static_cast<std::size_t>(n)))
          return failWith(error_, "write");
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return failWith(error_, inKernel ? "copy" : "read the job");
      if (n == 0) {
        changed_ = true;
        error_ = "the job shrank while printing";
        return false;
      }
      offset += static_cast<std::uint64_t>(n);
    }
    return true;
  }

  bool commit() {
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

  void abort() {
    file_.reset();
    if (!tempName_.empty()) ::unlinkat(dir_.get(), tempName_.c_str(), 0);
    tempName_.clear();
  }

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

std::unique_ptr<Sink> openFolderSink(const std::string& path, bool create,
                                     const std::string& jobName, std::string& error) {
  UniqueFd dir = openPrinterFolder(path, create, error);
  if (!dir) return nullptr;
  // Jobs written into the spool folder itself would come back as new jobs, for ever.
  struct stat sink, spool;
  if (::fstat(dir.get(), &sink) != 0 || ::stat(".", &spool) != 0)
    return failWith(error, path), nullptr;
  if (sink.st_dev == spool.st_dev && sink.st_ino == spool.st_ino) {
    error = path + ": is the spool folder";
    return nullptr;
  }
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

bool roomFor(const std::string& path, std::uint64_t bytes, std::string& why) {
  struct stat st;
  struct statvfs fs;
  if (::stat(path.c_str(), &st) != 0 || !(S_ISDIR(st.st_mode) || S_ISREG(st.st_mode)) ||
      ::statvfs(path.c_str(), &fs) != 0)
    return true;
  const std::uint64_t room = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  if (room >= bytes) return true;
  why = path + ": " + std::to_string(room) + " bytes free, too few for the job's " +
        std::to_string(bytes);
  return false;
}

std::string defaultDevice() {
  return "/dev/lp0";
}

std::unique_ptr<Sink> openPathSink(const std::string& path, const std::string& jobName,
                                   std::string& error) {
  ignoreBrokenPipes();  // a FIFO's reader may go away mid-job: a failed write, not our death
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    // Only a name ending in '/' says "a folder": that one is made, a missing device never is.
    if (errno != ENOENT || path.empty() || path.back() != '/')
      return failWith(error, path), nullptr;
    // We run in the spool folder: a relative one would be made there.
    if (path[0] != '/') return error = path + ": not an absolute path", nullptr;
    return openFolderSink(path, true, jobName, error);
  }
  if (S_ISDIR(st.st_mode)) return openFolderSink(path, false, jobName, error);
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
  if (S_ISREG(st.st_mode)) {
    off_t end = ::lseek(fd.get(), 0, SEEK_END);
    if (end < 0) return failWith(error, path), nullptr;
    return std::make_unique<DetachedSink>(std::move(fd), end);
  }
  if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode)) {
    error = path + ": changed its kind";
    return nullptr;
  }
  return std::make_unique<DetachedSink>(std::move(fd), -1);
}

}  // namespace platform
