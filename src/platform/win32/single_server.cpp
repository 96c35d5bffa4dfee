// One server per spool folder on Windows: a mutex named after the folder itself (its volume and
// file index, so that C:\Jobs, c:\jobs\ and C:\JOBS~1 are one folder), held for the life of the
// process. A second start shows the first one's window the way a double click on its icon does.
#include "platform/single_server.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/started_event.h"
#include "platform/win32/tell_user.h"

namespace platform {
namespace {

std::string claimedKey;

// The folder's levels, made as start-up would make them: the key of a folder that exists does not
// change when the folder appears.
void makeFolder(const std::string& folder) {
  for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1))
    CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
}

std::string keyOf(const std::string& folder) {
  char buffer[40];
  const HANDLE handle =
      CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION info;
  if (handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info)) {
    CloseHandle(handle);
    std::snprintf(buffer, sizeof buffer, "%08lx-%08lx%08lx",
                  static_cast<unsigned long>(info.dwVolumeSerialNumber),
                  static_cast<unsigned long>(info.nFileIndexHigh),
                  static_cast<unsigned long>(info.nFileIndexLow));
    return std::string("lptspool-server-") + buffer;
  }
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  // A folder that cannot be made: its full path in one case stands for it.
  std::string full(MAX_PATH, '\0');
  const DWORD n =
      GetFullPathNameA(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  full.resize(n > 0 && n < full.size() ? n : 0);
  if (full.empty()) full = folder;
  CharUpperBuffA(full.data(), static_cast<DWORD>(full.size()));
  for (char& c : full)
    if (c == '\\') c = '/';  // a kernel object's name may not hold a backslash
  return "lptspool-server-" + full;
}

struct Search {
  const std::string* key;
  HWND found;
};

BOOL CALLBACK findServer(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  char name[32] = "";
  if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "lptspoolForm") == 0 &&
      GetPropA(window, search->key->c_str())) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool claimSpoolFolder(const std::string& dosFolder, const std::string& boxText) {
  makeFolder(dosFolder);
  const std::string key = keyOf(dosFolder);
  // Held until the process ends, when Windows lets it go.
  const HANDLE mutex = CreateMutexA(nullptr, FALSE, ("Local\\" + key).c_str());
  if (mutex && GetLastError() != ERROR_ALREADY_EXISTS) {
    claimedKey = key;
    return true;
  }
  if (mutex) CloseHandle(mutex);
  if (!mutex) return true;  // nothing to go by: better two servers than none
  Search search{&key, nullptr};
  EnumWindows(findServer, reinterpret_cast<LPARAM>(&search));
  const HWND hook =
      search.found ? FindWindowExA(search.found, nullptr, "lptspoolHook", nullptr) : nullptr;
  // The tray's own callback for a double click: the window comes back, on top, its icon goes.
  if (hook && PostMessageA(hook, WM_LBUTTONDOWN, 1, WM_LBUTTONDBLCLK)) {
    if (outputReachesUser())
      tellUser("a server already runs on " + dosFolder + "; its window is shown", "", false);
    return false;
  }
  tellUser("a server already runs on " + dosFolder +
               "; its window is in a corner of the screen or its icon in the notification area",
           boxText, false);
  return false;
}

void announceServerRunning() {
  // Started by lptspool.com from a command prompt: the prompt comes back now. Nothing is said on
  // the console after this, and closing it no longer ends the server.
  const HANDLE started =
      OpenEventW(EVENT_MODIFY_STATE, FALSE, startedEventName(GetCurrentProcessId()).c_str());
  if (started) {
    SetEvent(started);
    CloseHandle(started);
  }
  releaseConsole();
}

const std::string& claimedSpoolFolderKey() {
  return claimedKey;
}

}  // namespace platform
