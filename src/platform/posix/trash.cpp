#include "platform/trash.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/posix/launch_posix.h"

namespace platform {

namespace {

bool failed(std::string& error, const std::string& what) {
  error = what + ": " + std::strerror(errno);
  return false;
}

// The home trash's parent, always an absolute path: a relative XDG_DATA_HOME or HOME would put
// the trash wherever the server happens to run.
std::string dataHome() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return data;
  std::string home;
  if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
    home = h;
  } else if (const struct passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir[0] == '/') {
    home = pw->pw_dir;
  }
  return home.empty() ? "" : home + "/.local/share";
}

// Creates each missing level of an absolute path, the new ones for this user only.
bool makePath(const std::string& path, std::string& error) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    const std::string level = path.substr(0, at);
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return failed(error, level);
  }
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return failed(error, path);
  if (!S_ISDIR(st.st_mode)) return error = path + ": not a folder", false;
  return true;
}

// A folder of this user's own under an open folder, made (mode 0700) when missing, never
// through a link; with `alone`, one nobody else may enter either. Its descriptor, or -1.
int ownSubfolder(int parent, const std::string& parentPath, const char* name, bool alone,
                 std::string& error) {
  const std::string path = parentPath + "/" + name;
  if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST) return failed(error, path), -1;
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return failed(error, path), -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (alone && (st.st_mode & 077) != 0)) {
    ::close(fd);
    error = path + (alone ? ": not this user's alone (owner and mode 0700)" : ": not this user's");
    return -1;
  }
  return fd;
}

// The mount point that holds a folder: the last level up whose parent is on another device.
std::string topdirOf(const std::string& realFolder, dev_t device) {
  std::string top = realFolder;
  while (top.size() > 1) {
    const std::size_t cut = top.rfind('/');
    const std::string parent = cut == 0 ? "/" : top.substr(0, cut);
    struct stat st;
    if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
    top = parent;
  }
  return top;
}

std::string percentEncoded(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
        (c != 0 && std::strchr("/-_.~", c))) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string deletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Never over a file already in the trash (one whose note was lost): that one would be gone.
// A file system that cannot promise it still gets the move: the folder is this user's own.
bool moveNoReplace(int from, const std::string& name, int to, const std::string& stored) {
  if (::renameat2(from, name.c_str(), to, stored.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL) return false;
  struct stat st;
  if (::fstatat(to, stored.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return errno = EEXIST, false;
  return ::renameat(from, name.c_str(), to, stored.c_str()) == 0;
}

// Moves the file into the trash at trashPath (an open folder): reserves a name with its
// .trashinfo first, as the trash's rules ask, so two removals never take the same name.
bool moveInto(int trash, const std::string& trashPath, bool alone, int folder,
              const std::string& name, const std::string& infoPath, std::string& error) {
  UniqueFd files(ownSubfolder(trash, trashPath, "files", alone, error));
  UniqueFd info(ownSubfolder(trash, trashPath, "info", alone, error));
  if (!files || !info) return false;
  const std::string text =
      "[Trash Info]\nPath=" + percentEncoded(infoPath) + "\nDeletionDate=" + deletionDate() + "\n";
  for (int n = 1; n < 1000; ++n) {
    const std::string stored = n == 1 ? name : name + "." + std::to_string(n);
    const std::string infoName = stored + ".trashinfo";
    UniqueFd note(::openat(info.get(), infoName.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!note) {
      if (errno == EEXIST) continue;
      return failed(error, trashPath + "/info/" + infoName);
    }
    const bool written =
        ::write(note.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (written && moveNoReplace(folder, name, files.get(), stored)) return true;
    const int cause = written ? errno : EIO;
    ::unlinkat(info.get(), infoName.c_str(), 0);
    if (cause == EEXIST) continue;
    errno = cause;
    return failed(error, name);
  }
  error = trashPath + ": no free name for " + name;
  return false;
}

}  // namespace

bool moveToTrash(const std::string& hostFolder, const std::string& name, std::string& error) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
    return error = name + ": not a file name", false;
  char* resolved = ::realpath(hostFolder.c_str(), nullptr);
  if (!resolved) return failed(error, hostFolder);
  const std::string realFolder = resolved;
  std::free(resolved);
  UniqueFd folder(::open(realFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat job;
  if (!folder) return failed(error, realFolder);
  if (::fstatat(folder.get(), name.c_str(), &job, AT_SYMLINK_NOFOLLOW) != 0)
    return failed(error, name);
  const std::string path = (realFolder == "/" ? "" : realFolder) + "/" + name;

  // The home trash, when the job can be moved there without copying it.
  const std::string data = dataHome();
  std::string homeError;
  if (!data.empty() && makePath(data, homeError)) {
    UniqueFd dataFd(::open(data.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    UniqueFd trash(dataFd ? ownSubfolder(dataFd.get(), data, "Trash", false, homeError) : -1);
    struct stat st;
    if (trash && ::fstat(trash.get(), &st) == 0 && st.st_dev == job.st_dev)
      return moveInto(trash.get(), data + "/Trash", false, folder.get(), name, path, error);
  }

  // The trash at the top of the job's own file system, if it is this user's alone.
  const std::string top = topdirOf(realFolder, job.st_dev);
  const std::string own = ".Trash-" + std::to_string(::geteuid());
  UniqueFd topFd(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!topFd) return failed(error, top);
  const std::string trashPath = (top == "/" ? "" : top) + "/" + own;
  UniqueFd trash(ownSubfolder(topFd.get(), top == "/" ? "" : top, own.c_str(), true, error));
  struct stat st;
  if (!trash || ::fstat(trash.get(), &st) != 0 || st.st_dev != job.st_dev) {
    if (trash) error = trashPath + ": on another file system";
    return false;
  }
  // Paths in a top directory's trash are relative to it, so the trash survives another mount point.
  return moveInto(trash.get(), trashPath, true, folder.get(), name,
                  top == "/" ? path.substr(1) : path.substr(top.size() + 1), error);
}

}  // namespace platform
