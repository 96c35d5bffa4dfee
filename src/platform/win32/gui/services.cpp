// The Windows services the window calls, as the real calls. The system's tray record keeps
// 32-bit handles; it is copied into the shell's own record for every call.
#include <cstring>

#include "platform/process.h"
#include "platform/win32/gui/win_toolkit.h"

namespace win32ui {

intptr_t WinServices::ShellExecuteA(platform::HWND, const char*, const char* lpFile, const char*,
                                    const char* lpDirectory, int) {
  // A launcher is ours to run: lptspool-launch.exe, hidden, in the job's folder.
  return platform::shellExecute(lpFile ? lpFile : "", lpDirectory ? lpDirectory : "");
}

bool WinServices::Shell_NotifyIconA(uint32_t dwMessage, platform::NOTIFYICONDATA* data) {
  if (!data) return false;
  NOTIFYICONDATAA real{};
  // The first version of the record: its callback carries the mouse message in lParam.
  real.cbSize = NOTIFYICONDATAA_V1_SIZE;
  real.hWnd = fromHandle32(data->hWnd);
  real.uID = data->uID;
  real.uFlags = data->uFlags;
  real.uCallbackMessage = data->uCallbackMessage;
  real.hIcon = fromHandle32<HICON>(data->hIcon);
  std::memcpy(real.szTip, data->szTip, sizeof data->szTip);
  real.szTip[sizeof data->szTip - 1] = '\0';
  const bool ok = ::Shell_NotifyIconA(dwMessage, &real) != 0;
  const auto key = std::make_pair(real.hWnd, real.uID);
  if (dwMessage == NIM_ADD && ok) {
    icons_[key] = real;
    if (!tip_.empty() || warning_) applyState(real);
  }
  if (dwMessage == NIM_DELETE) icons_.erase(key);
  return ok;
}

bool WinServices::balloon(const std::string& title, const std::string& text) {
  bool shown = false;
  for (const auto& icon : icons_) {
    // The icon's record is the first version, which has no balloon: a full record modifies it.
    NOTIFYICONDATAW info{};
    info.cbSize = sizeof info;
    info.hWnd = icon.second.hWnd;
    info.uID = icon.second.uID;
    info.uFlags = NIF_INFO;
    info.dwInfoFlags = NIIF_WARNING;
    lstrcpynW(info.szInfoTitle, widen(title).c_str(), ARRAYSIZE(info.szInfoTitle));
    lstrcpynW(info.szInfo, widen(text).c_str(), ARRAYSIZE(info.szInfo));
    shown = ::Shell_NotifyIconW(NIM_MODIFY, &info) != 0 || shown;
  }
  return shown;
}

void WinServices::taskbarCreated() {
  for (auto& icon : icons_) {
    ::Shell_NotifyIconA(NIM_ADD, &icon.second);
    if (!tip_.empty() || warning_) applyState(icon.second);
  }
}

platform::HWND WinServices::FindWindowA(const char* lpClassName, const char* lpWindowName) {
  return toHandle32(::FindWindowA(lpClassName, lpWindowName));
}

bool WinServices::GetWindowRect(platform::HWND hWnd, platform::RECT* lpRect) {
  if (!lpRect) return false;
  ::RECT r{};
  if (!::GetWindowRect(fromHandle32(hWnd), &r)) return false;
  *lpRect = {r.left, r.top, r.right, r.bottom};
  return true;
}

bool WinServices::SetWindowPos(platform::HWND hWnd, platform::HWND hWndInsertAfter, int X, int Y,
                               int cx, int cy, uint32_t uFlags) {
  return ::SetWindowPos(fromHandle32(hWnd), fromHandle32(hWndInsertAfter), X, Y, cx, cy, uFlags) !=
         0;
}

}  // namespace win32ui
