#include "platform/private_folder.h"

#include <cstdio>

#include "platform/win32/launch_win32.h"

namespace platform {

std::string privateFolderKey(const std::string& spoolFolder) {
  char full[MAX_PATH * 4] = {};
  const DWORD n = ::GetFullPathNameA(spoolFolder.c_str(), sizeof full, full, nullptr);
  std::string path = n > 0 && n < sizeof full ? std::string(full, n) : spoolFolder;
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  // One folder, whatever the case it is written in.
  for (char& c : path)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
  char key[24];
  std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
  return key;
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
