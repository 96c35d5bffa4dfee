#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

#include "platform/dos_path.h"
#include "platform/posix/spool_pin.h"

namespace platform {
namespace {

struct Listing {
  std::vector<std::string> names;
  size_t next = 0;
};
Listing listing;

// One open file. A new file being written has no name yet: it gets its name when closed whole,
// so that a server killed half way leaves nothing a later sweep could not recognise.
struct Slot {
  int fd = -1;
  int dir = -1;          // the folder a new file is made in, by its handle
  std::string name;      // host path; for a new file, its name in `dir`
  bool created = false;  // a new file of ours, being written
  bool unnamed = false;  // ... that gets its name when closed
  bool failed = false;   // a write failed: the new file is not kept
};
std::array<Slot, 256> slots;

// Splits Z:\dir\pattern into the host folder and the pattern.
bool splitPattern(const std::string& dosPattern, std::string& folder, std::string& pattern) {
  const size_t cut = dosPattern.rfind('\\');
  if (cut == std::string::npos) return false;
  pattern = dosPattern.substr(cut + 1);
  return !pattern.empty() && toHostPath(dosPattern.substr(0, cut + 1), folder);
}

// The entry's own kind (a link is a link), 0 when it cannot be told: from the listing when the
// file system gives it, which spares a thousand-job tick a thousand stat calls.
mode_t kindOf(int dirFd, const dirent* entry) {
  if (entry->d_type != DT_UNKNOWN) return DTTOIF(entry->d_type);
  struct stat st;
  return fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? st.st_mode & S_IFMT : 0;
}

// Ordinary files only: a symbolic link or a hidden file is never a job nor a helper file.
bool isOrdinaryFile(int dirFd, const dirent* entry) {
  return entry->d_name[0] != '.' && S_ISREG(kindOf(dirFd, entry));
}

bool listMatches(const std::string& dosPattern, std::vector<std::string>& names, int* dirFdOut) {
  std::string folder, pattern;
  if (!splitPattern(dosPattern, folder, pattern)) return false;
  const int folderFd = openFolder(folder);
  DIR* dir = folderFd >= 0 ? fdopendir(folderFd) : nullptr;
  if (!dir) {
    if (folderFd >= 0) close(folderFd);
    return false;
  }
  const int fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    if (matchesPattern(entry->d_name, pattern) && isOrdinaryFile(fd, entry))
      names.emplace_back(entry->d_name);
  }
  if (dirFdOut) *dirFdOut = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  closedir(dir);
  return !dirFdOut || *dirFdOut >= 0;
}

// The bytes of a file of ours of at most maxBytes, read without following a link and without
// blocking on whatever may have taken the name since the listing. False for anything else.
bool readOwnFile(int dirFd, const std::string& name, size_t maxBytes, std::string& bytes) {
  const int fd =
      openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
            static_cast<unsigned long long>(st.st_size) <= maxBytes;
  if (ok) {
    bytes.resize(maxBytes + 1);
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t r = pread(fd, &bytes[done], bytes.size() - done, static_cast<off_t>(done));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) {
        ok = r == 0;
        break;
      }
      done += static_cast<size_t>(r);
    }
    // A file that grew past the cap since fstat is not one we wrote.
    ok = ok && done <= maxBytes;
    bytes.resize(done);
  }
  close(fd);
  return ok;
}

bool validSlot(int n) {
  return n >= 1 && n < static_cast<int>(slots.size());
}

bool openSlot(int n, const std::string& dosPath, int flags) {
  std::string host;
  if (!validSlot(n) || slots[n].fd != -1 || !toHostPath(dosPath, host)) return false;
  if (host.empty() || host.back() == '/') return false;
  const int fd = open(host.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  slots[n] = Slot{fd, -1, host, false, false, false};
  return true;
}

}  // namespace

bool KillOwn(const std::string& dosPattern, size_t maxBytes, const SweepFilter& isOurs) {
  std::vector<std::string> names;
  int dirFd = -1;
  if (!listMatches(dosPattern, names, &dirFd)) return false;
  bool deleted = false, ok = true;
  std::string bytes;
  for (const std::string& name : names) {
    if (!readOwnFile(dirFd, name, maxBytes, bytes) || !isOurs(name, bytes)) continue;
    if (unlinkat(dirFd, name.c_str(), 0) == 0)
      deleted = true;
    else
      ok = false;
  }
  close(dirFd);
  return deleted && ok;
}

// Splits a host file path into its folder's handle (the spool folder's own when it is the one
// held) and its name. False for a folder path.
bool folderAndName(const std::string& host, int& dirFd, std::string& name) {
  const size_t cut = host.rfind('/');
  if (host.empty() || cut == std::string::npos || cut + 1 == host.size()) return false;
  name = host.substr(cut + 1);
  dirFd = openFolder(host.substr(0, cut + 1));
  return dirFd >= 0;
}

bool RemoveFile(const std::string& dosPath) {
  std::string host, name;
  int dirFd = -1;
  if (!toHostPath(dosPath, host) || !folderAndName(host, dirFd, name)) return false;
  const bool ok = unlinkat(dirFd, name.c_str(), 0) == 0;
  close(dirFd);
  return ok;
}

bool nameReachable(const std::string&) {
  return true;  // a name here is the bytes the folder holds
}

std::string Dir(const std::string& dosPattern) {
  listing = Listing{};
  if (!listMatches(dosPattern, listing.names, nullptr)) return std::string();
  return Dir();
}

std::string Dir() {
  if (listing.next >= listing.names.size()) return std::string();
  return listing.names[listing.next++];
}

bool MkDir(const std::string& dosPath) {
  std::string host;
  return toHostPath(dosPath, host) && !host.empty() && mkdir(host.c_str(), 0777) == 0;
}

bool FolderExists(const std::string& dosPath) {
  std::string host;
  struct stat st;
  return toHostPath(dosPath, host) && !host.empty() && stat(host.c_str(), &st) == 0 &&
         S_ISDIR(st.st_mode);
}

Opened OpenForBinaryWrite(int n, const std::string& dosPath) {
  std::string host, name;
  int dirFd = -1;
  if (!validSlot(n) || slots[n].fd != -1 || !toHostPath(dosPath, host)) return Opened::Failed;
  if (!folderAndName(host, dirFd, name)) return Opened::Failed;
  auto failed = [dirFd](Opened result) {
    close(dirFd);
    return result;
  };
  struct stat st;
  if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return failed(Opened::Taken);
  if (errno != ENOENT) return failed(Opened::Failed);
  Slot slot{
      openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644), dirFd, name, true, true, false};
  if (slot.fd < 0) {
    // A file system without unnamed files: the name is taken at once.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return failed(Opened::Failed);
    slot.fd =
        openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (slot.fd < 0) return failed(errno == EEXIST ? Opened::Taken : Opened::Failed);
    slot.unnamed = false;
  }
  // Whatever the umask: a script others could write could be changed before it runs.
  if (fchmod(slot.fd, 0644) != 0) {
    close(slot.fd);
    if (!slot.unnamed) unlinkat(dirFd, name.c_str(), 0);
    return failed(Opened::Failed);
  }
  slots[n] = slot;
  return Opened::Yes;
}

bool OpenForBinaryRead(int n, const std::string& dosPath) {
  return openSlot(n, dosPath, O_RDONLY | O_NONBLOCK);
}

bool Put(int n, const std::string& bytes) {
  if (!validSlot(n) || slots[n].fd == -1) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t w = write(slots[n].fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      slots[n].failed = true;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

bool GetAll(int n, std::string& bytes) {
  if (!validSlot(n) || slots[n].fd == -1) return false;
  std::string out;
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    const ssize_t r = pread(slots[n].fd, buffer, sizeof buffer, offset);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return false;
    if (r == 0) break;
    out.append(buffer, static_cast<size_t>(r));
    offset += r;
  }
  bytes.swap(out);
  return true;
}

bool Close(int n) {
  if (!validSlot(n) || slots[n].fd == -1) return false;
  const Slot slot = slots[n];
  slots[n] = Slot{};
  bool ok = !slot.failed;
  if (slot.created && slot.unnamed && ok) {
    // The name is taken only now, and only if nobody took it meanwhile; a link there is a name
    // taken, never followed.
    const std::string self = "/proc/self/fd/" + std::to_string(slot.fd);
    ok = linkat(AT_FDCWD, self.c_str(), slot.dir, slot.name.c_str(), AT_SYMLINK_FOLLOW) == 0;
  }
  if (slot.created && !slot.unnamed && slot.failed) unlinkat(slot.dir, slot.name.c_str(), 0);
  if (slot.dir >= 0) close(slot.dir);
  return close(slot.fd) == 0 && ok;
}

}  // namespace platform
