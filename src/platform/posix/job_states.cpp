#include "platform/job_states.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/dos_path.h"
#include "platform/files.h"
#include "platform/posix/spool_pin.h"
#include "platform/posix/stat_identity.h"
#include "platform/private_folder.h"

namespace platform {

namespace {

constexpr std::size_t kMaxStateBytes = 16 * 1024;

bool readFile(const std::string& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  std::string out;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) break;
    if (n < 0 || out.size() + static_cast<std::size_t>(n) > kMaxStateBytes) {
      ::close(fd);
      return false;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  bytes.swap(out);
  return true;
}

}  // namespace

bool JobStateStore::write(const std::string& jobName, const std::string& bytes) const {
  if (folder_.empty()) return false;
  const std::string target = fileOf(jobName);
  const std::string aside = target + "." + std::to_string(::getpid()) + ".new";
  const int fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  // No fsync: the states live in the runtime folder and mean nothing after a restart.
  const bool ok =
      ::close(fd) == 0 && done == bytes.size() && ::rename(aside.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(aside.c_str());
  return ok;
}

bool JobStateStore::read(const std::string& jobName, std::string& bytes) const {
  return !folder_.empty() && readFile(fileOf(jobName), bytes);
}

std::vector<std::string> JobStateStore::readAll() const {
  std::vector<std::string> all;
  if (folder_.empty()) return all;
  DIR* dir = ::opendir(folder_.c_str());
  if (!dir) return all;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, 6, kFilePrefix) != 0 || name.find('.') != std::string::npos) continue;
    std::string bytes;
    if (readFile(folder_ + name, bytes)) all.push_back(std::move(bytes));
  }
  ::closedir(dir);
  return all;
}

bool JobStateStore::remove(const std::string& jobName) const {
  return !folder_.empty() && ::unlink(fileOf(jobName).c_str()) == 0;
}

std::vector<SpoolFile> listSpoolFiles(const std::string& dosPattern) {
  std::vector<SpoolFile> files;
  const std::size_t cut = dosPattern.rfind('\\');
  std::string folder;
  if (cut == std::string::npos || !toHostPath(dosPattern.substr(0, cut + 1), folder)) return files;
  const std::string pattern = dosPattern.substr(cut + 1);
  const int folderFd = openFolder(folder);
  DIR* dir = folderFd >= 0 ? ::fdopendir(folderFd) : nullptr;
  if (!dir) {
    if (folderFd >= 0) ::close(folderFd);
    return files;
  }
  const int fd = ::dirfd(dir);
  // Whether a job of another user could be deleted: as the launcher judges it.
  struct stat folderSt {};
  const uid_t me = ::geteuid();
  const bool changeable =
      ::fstat(fd, &folderSt) == 0 && ::faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) == 0;
  const bool othersStay = (folderSt.st_mode & S_ISVTX) && me != 0 && folderSt.st_uid != me;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.' || !matchesPattern(entry->d_name, pattern)) continue;
    struct stat st {};
    if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    files.push_back({entry->d_name, static_cast<std::int64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_ctim.tv_sec), identityOfStat(st),
                     static_cast<std::uint64_t>(st.st_blocks) * 512,
                     static_cast<std::uint64_t>(st.st_nlink),
                     changeable && (st.st_uid == me || !othersStay)});
  }
  ::closedir(dir);
  return files;
}

bool deleteSpoolFile(const std::string& dosFolder, const std::string& name) {
  std::string folder;
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == ".." ||
      !toHostPath(dosFolder, folder))
    return false;
  const int dirFd = openFolder(folder);
  if (dirFd < 0) return false;
  // unlinkat without AT_REMOVEDIR removes a link itself, never its target, and refuses a folder.
  const bool ok = ::unlinkat(dirFd, name.c_str(), 0) == 0;
  ::close(dirFd);
  return ok;
}

std::int64_t processId() {
  return ::getpid();
}

bool processAlive(std::int64_t pid) {
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

std::int64_t unixTime() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace platform
