#include "platform/program_lookup.h"

#include <cstdlib>

#include "platform/win32/launch_win32.h"

namespace platform {

namespace {

bool hasFolder(const std::string& name) {
  return (name.size() > 2 && name[1] == ':' && (name[2] == '\\' || name[2] == '/')) ||
         name.compare(0, 2, "\\\\") == 0;
}

}  // namespace

// SearchPathA with PATH's folders alone: given no folders it would look in the working folder
// first, which is the spool folder.
bool findProgram(const std::string& name, std::string& path) {
  if (name.empty()) return false;
  if (hasFolder(name)) {
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return false;
    path = name;
    return true;
  }
  const char* folders = std::getenv("PATH");
  char found[MAX_PATH + 1] = {};
  const DWORD n =
      folders ? ::SearchPathA(folders, name.c_str(), ".exe", sizeof found, found, nullptr) : 0;
  if (n == 0 || n >= sizeof found) return false;
  path = found;
  return true;
}

}  // namespace platform
