// A printer folder is written by this user and read by whoever collects the prints, so it must be
// a folder nobody else prepared: not one planted before us in a folder anyone may write, and not
// a link there that leads into the user's own files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <string>

#include "platform/posix/launch_posix.h"

namespace platform {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on links in one path

void splitInto(const std::string& path, std::deque<std::string>& parts) {
  std::deque<std::string> mine;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) mine.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  parts.insert(parts.begin(), mine.begin(), mine.end());
}

UniqueFd openFolder(int at, const char* name) {
  return UniqueFd(::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

}  // namespace

UniqueFd openPrinterFolder(const std::string& path, bool create, std::string& error) {
  std::deque<std::string> rest;
  splitInto(path, rest);
  // Each level is opened from the one before, so nothing can be swapped in between the check
  // of a level and its use.
  UniqueFd at = openFolder(AT_FDCWD, !path.empty() && path[0] == '/' ? "/" : ".");
  int links = 0;
  while (at && !rest.empty()) {
    const std::string part = rest.front();
    rest.pop_front();
    if (part == ".") continue;
    struct stat st;
    if (::fstatat(at.get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT || !create) return failWith(error, path), UniqueFd();
      // Made from its parent's handle; one made first by somebody else is checked as found.
      if (::mkdirat(at.get(), part.c_str(), 0755) != 0 && errno != EEXIST)
        return failWith(error, path), UniqueFd();
      if (::fstatat(at.get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return failWith(error, path), UniqueFd();
    }
    if (S_ISLNK(st.st_mode)) {
      struct stat parent;
      if (rest.empty()) {
        error = path + ": a symbolic link; a printer folder must be a real folder";
        return UniqueFd();
      }
      if (::fstat(at.get(), &parent) != 0) return failWith(error, path), UniqueFd();
      if (parent.st_mode & S_IWOTH) {
        error =
            path + ": reached through the symbolic link " + part + " in a folder anyone may write";
        return UniqueFd();
      }
      char target[4096];
      const ssize_t n = ::readlinkat(at.get(), part.c_str(), target, sizeof target - 1);
      if (n < 0) return failWith(error, path), UniqueFd();
      if (++links > kMaxLinks) return errno = ELOOP, failWith(error, path), UniqueFd();
      const std::string where(target, static_cast<std::size_t>(n));
      splitInto(where, rest);
      if (!where.empty() && where[0] == '/') at = openFolder(AT_FDCWD, "/");
      continue;
    }
    at = openFolder(at.get(), part.c_str());
  }
  if (!at) return failWith(error, path), UniqueFd();
  struct stat folder;
  if (::fstat(at.get(), &folder) != 0) return failWith(error, path), UniqueFd();
  if (folder.st_uid != ::geteuid() && folder.st_uid != 0) {
    error = path + ": the folder belongs to user " + std::to_string(folder.st_uid) +
            ", not to this user or root";
    return UniqueFd();
  }
  return at;
}

}  // namespace platform
