#include "platform/private_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/name_hash.h"

namespace platform {

namespace {

// A folder only we can reach: created 0700 when missing, never followed through a link.
bool ensurePrivate(const std::string& path, std::string& error) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
    error = path + ": not a private folder of this user";
    return false;
  }
  return true;
}

}  // namespace

std::string privateFolderKey(const std::string& spoolFolder) {
  std::string path = spoolFolder;
  if (char* real = ::realpath(spoolFolder.c_str(), nullptr)) {
    path = real;
    std::free(real);
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return platform::nameHash(path);
}

bool privateUserFolder(std::string& folder, std::string& error) {
  std::string base;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* home = std::getenv("HOME");
  if (runtime && runtime[0] == '/') {
    base = runtime;
  } else if (home && home[0] == '/') {
    base = std::string(home) + "/.cache";
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) {
      error = base + ": " + std::strerror(errno);
      return false;
    }
  } else {
    error = "neither XDG_RUNTIME_DIR nor HOME names a folder";
    return false;
  }
  std::string path = base + "/lptspool";
  if (!ensurePrivate(path, error)) return false;
  folder = path + "/";
  return true;
}

bool privateFolder(const std::string& spoolFolder, std::string& folder, std::string& error) {
  std::string path;
  if (!privateUserFolder(path, error)) return false;
  path += privateFolderKey(spoolFolder);
  if (!ensurePrivate(path, error)) return false;
  folder = path + "/";
  return true;
}

}  // namespace platform
