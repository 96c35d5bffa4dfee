#include "platform/printer_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace platform {

PathProbe probePath(const std::string& hostPath) {
  PathProbe probe;
  struct stat st {};
  if (::stat(hostPath.c_str(), &st) != 0) {
    probe.error = hostPath + ": " + std::strerror(errno);
    return probe;
  }
  using Kind = PathProbe::Kind;
  probe.kind = S_ISDIR(st.st_mode)    ? Kind::Folder
               : S_ISREG(st.st_mode)  ? Kind::File
               : S_ISFIFO(st.st_mode) ? Kind::Fifo
               : S_ISCHR(st.st_mode)  ? Kind::Device
                                      : Kind::Other;
  const int mode = probe.kind == Kind::Folder ? W_OK | X_OK : W_OK;
  probe.writable = ::access(hostPath.c_str(), mode) == 0;
  if (!probe.writable) probe.error = hostPath + ": " + std::strerror(errno);
  if (probe.kind == Kind::Fifo && probe.writable) {
    // Opening for writing without blocking fails exactly when no program reads it.
    const int fd = ::open(hostPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    probe.reader = fd >= 0;
    if (fd >= 0) ::close(fd);
  }
  return probe;
}

bool canCreateFolder(const std::string& hostPath, std::string& error) {
  std::string path = hostPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path[0] != '/') {
    error = hostPath + ": not an absolute path";
    return false;
  }
  // From the folder itself up: the nearest level that exists decides, and a file there (the
  // folder's own name included) can hold no folder.
  for (;;) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      if ((errno == ENOENT || errno == ENOTDIR) && path != "/") {
        const std::size_t cut = path.rfind('/');
        path = cut == 0 ? "/" : path.substr(0, cut);
        continue;
      }
      error = path + ": " + std::strerror(errno);
      return false;
    }
    if (!S_ISDIR(st.st_mode)) {
      error = path + ": Not a directory";
      return false;
    }
    if (::access(path.c_str(), W_OK | X_OK) != 0) {
      error = path + ": " + std::strerror(errno);
      return false;
    }
    return true;
  }
}

const char* folderSeparators() {
  return "/";
}

bool sameFolder(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace platform
