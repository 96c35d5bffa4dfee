#include "platform/private_folder.h"

#include <cstdio>

#include "platform/name_hash.h"
#include "platform/win32/launch_win32.h"

namespace platform {

namespace {

// The folder's own final path when it exists, so the server (which names it as the user wrote
// it) and its launchers (which find it as their working folder) agree on one key.
std::string canonicalFolder(const std::string& spoolFolder) {
  OwnedHandle h(::CreateFileA(spoolFolder.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  char text[MAX_PATH * 4] = {};
  DWORD n = h ? ::GetFinalPathNameByHandleA(h.get(), text, sizeof text, FILE_NAME_NORMALIZED) : 0;
  if (n == 0 || n >= sizeof text)
    n = ::GetFullPathNameA(spoolFolder.c_str(), sizeof text, text, nullptr);
  if (n == 0 || n >= sizeof text) return spoolFolder;
  std::string path(text, n);
  if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + path.substr(7);
  if (path.compare(0, 4, "\\\\?\\") == 0) return path.substr(4);
  return path;
}

}  // namespace

std::string privateFolderKey(const std::string& spoolFolder) {
  std::string path = canonicalFolder(spoolFolder);
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  // One folder, whatever the case it is written in.
  for (char& c : path)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return platform::nameHash(path);
}

// The user's profile keeps others out of %LOCALAPPDATA%.
bool privateUserFolder(std::string& folder, std::string& error) {
  folder = userFolder();
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return failWith(error, folder);
  return true;
}

bool privateFolder(const std::string& spoolFolder, std::string& folder, std::string& error) {
  std::string base;
  if (!privateUserFolder(base, error)) return false;
  const std::string path = base + privateFolderKey(spoolFolder);
  if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
    return failWith(error, path);
  folder = path + "\\";
  return true;
}

}  // namespace platform
