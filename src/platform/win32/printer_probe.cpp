// What the start-up check and --check ask Windows about a printer before any job needs it.
#include "platform/printer_probe.h"

#include <string>

#include "platform/win32/launch_win32.h"

namespace platform {

PathProbe probePath(const std::string& hostPath) {
  PathProbe probe;
  // What the launcher opens first: a port by its name, then files and folders, then a printer.
  if (isPortName(hostPath)) {
    probe.kind = PathProbe::Kind::Device;
    probe.writable = true;
    return probe;
  }
  const DWORD attributes = GetFileAttributesA(hostPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (hostPath.find_first_of("\\/") == std::string::npos && isPrinterName(hostPath)) {
      probe.kind = PathProbe::Kind::Printer;
      probe.writable = true;
      return probe;
    }
    probe.error = hostPath + ": not found";
    return probe;
  }
  probe.kind =
      (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathProbe::Kind::Folder : PathProbe::Kind::File;
  probe.writable = !(attributes & FILE_ATTRIBUTE_READONLY);
  if (!probe.writable) probe.error = hostPath + ": read-only";
  return probe;
}

bool canCreateFolder(const std::string& hostPath, std::string& error) {
  std::string path;
  std::size_t root = 0;
  if (!absoluteFolder(hostPath, path, root)) {
    error = hostPath + ": not an absolute path";
    return false;
  }
  // From the folder itself up: the nearest level that exists decides, and a file there (the
  // folder's own name included) can hold no folder.
  for (;;) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD code = GetLastError();
      const bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
                           code == ERROR_DIRECTORY || code == ERROR_INVALID_NAME;
      if (missing && path.size() > root) {
        const std::size_t cut = path.find_last_of("\\/");
        path = cut + 1 <= root ? path.substr(0, root) : path.substr(0, cut);
        continue;
      }
      return failWith(error, path);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
    error = path + ": not a folder";
    return false;
  }
}

const char* folderSeparators() {
  return "\\/";
}

bool sameFolder(const std::string& a, const std::string& b) {
  char fullA[MAX_PATH], fullB[MAX_PATH];
  if (!GetFullPathNameA(a.c_str(), MAX_PATH, fullA, nullptr) ||
      !GetFullPathNameA(b.c_str(), MAX_PATH, fullB, nullptr))
    return false;
  std::string x = fullA, y = fullB;
  while (!x.empty() && x.back() == '\\') x.pop_back();
  while (!y.empty() && y.back() == '\\') y.pop_back();
  return CompareStringOrdinal(std::wstring(x.begin(), x.end()).c_str(), -1,
                              std::wstring(y.begin(), y.end()).c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace platform
