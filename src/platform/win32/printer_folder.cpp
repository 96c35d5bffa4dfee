// A printer folder named with a trailing separator is made at the first job. Only an absolute
// one: the launcher runs in the spool folder, where a relative one would land.
#include <string>

#include "platform/printer_probe.h"
#include "platform/win32/launch_win32.h"

namespace platform {

namespace {

bool isSeparator(char c) {
  return c == '\\' || c == '/';
}

// The length of the root a path starts from (C:\ or \\server\share\); 0 when it has none.
std::size_t rootLength(const std::string& path) {
  const bool letter =
      !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (path.size() >= 3 && letter && path[1] == ':' && isSeparator(path[2])) return 3;
  if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1])) return 0;
  const std::size_t server = path.find_first_of("\\/", 2);
  if (server == std::string::npos || server == 2) return 0;
  const std::size_t share = path.find_first_of("\\/", server + 1);
  if (share == server + 1) return 0;
  return share == std::string::npos ? path.size() : share + 1;
}

}  // namespace

bool absoluteFolder(const std::string& hostPath, std::string& folder, std::size_t& root) {
  root = rootLength(hostPath);
  if (root == 0) return false;
  folder = hostPath;
  while (folder.size() > root && isSeparator(folder.back())) folder.pop_back();
  return true;
}

bool makePrinterFolder(const std::string& hostPath, std::string& error) {
  // The check's own reasons first: not absolute, or a file where a level goes.
  if (!canCreateFolder(hostPath, error)) return false;
  std::string folder;
  std::size_t root = 0;
  absoluteFolder(hostPath, folder, root);
  // Level by level from the root; one that exists, or appears meanwhile, is taken as found.
  for (std::size_t at = root + 1; at <= folder.size(); ++at) {
    if (at < folder.size() && !isSeparator(folder[at])) continue;
    if (isSeparator(folder[at - 1])) continue;
    const std::string level = folder.substr(0, at);
    if (!::CreateDirectoryA(level.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
      return failWith(error, level);
  }
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return failWith(error, folder);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return error = folder + ": not a folder", false;
  return true;
}

}  // namespace platform
