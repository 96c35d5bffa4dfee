#include "platform/program_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/posix/launch_posix.h"

namespace platform {

namespace {

bool runnable(const std::string& candidate) {
  struct stat st {};
  if (::stat(candidate.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode)) return errno = EACCES, false;
  return ::access(candidate.c_str(), X_OK) == 0;
}

}  // namespace

bool findProgramOn(const std::string& name, const std::string& search, std::string& path) {
  if (name.empty()) return errno = ENOENT, false;
  if (name.find('/') != std::string::npos) return runnable(name) && (path = name, true);
  std::size_t at = 0;
  while (at <= search.size()) {
    const std::size_t end = std::min(search.find(':', at), search.size());
    const std::string dir = search.substr(at, end - at);
    at = end + 1;
    // A relative entry would find programs in whatever folder we run in.
    if (dir.empty() || dir[0] != '/') continue;
    if (runnable(dir + "/" + name)) return path = dir + "/" + name, true;
  }
  errno = ENOENT;
  return false;
}

std::string searchPathOf(const char* pathVariable) {
  return pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
}

bool findProgram(const std::string& name, std::string& path) {
  return findProgramOn(name, searchPathOf(std::getenv("PATH")), path);
}

}  // namespace platform
