// The Windows services the system calls, with their Windows names and records. The server's
// window reaches them through the toolkit (toolkit.h); tests put recorders in their place.
#pragma once

#include <cstdint>

namespace platform {

using HWND = uint32_t;  // 32-bit handles, as in the tray record
using HICON = uint32_t;

struct RECT {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The ANSI tray record, 88 bytes.
struct NOTIFYICONDATA {
  uint32_t cbSize;
  HWND hWnd;
  uint32_t uID;
  uint32_t uFlags;
  uint32_t uCallbackMessage;
  HICON hIcon;
  char szTip[64];
};
static_assert(sizeof(NOTIFYICONDATA) == 88, "the tray record is 88 bytes");

constexpr uint32_t NIM_ADD = 0;
constexpr uint32_t NIM_DELETE = 2;
constexpr uint32_t NIF_MESSAGE = 1;
constexpr uint32_t NIF_ICON = 2;
constexpr uint32_t NIF_TIP = 4;
constexpr uint32_t WM_LBUTTONDOWN = 0x201;
constexpr uint32_t WM_LBUTTONUP = 0x202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x203;
constexpr uint32_t WM_RBUTTONUP = 0x205;
constexpr HWND HWND_TOPMOST = static_cast<HWND>(-1);
constexpr uint32_t SWP_NOSIZE = 0x1;
constexpr uint32_t SWP_NOMOVE = 0x2;
constexpr uint32_t SWP_NOACTIVATE = 0x10;
constexpr uint32_t SWP_SHOWWINDOW = 0x40;
constexpr int SW_HIDE = 0;

class Win32 {
 public:
  virtual ~Win32() = default;
  // Returns a value above 32 on success, as on Windows.
  virtual intptr_t ShellExecuteA(HWND hwnd, const char* lpOperation, const char* lpFile,
                                 const char* lpParameters, const char* lpDirectory,
                                 int nShowCmd) = 0;
  virtual bool Shell_NotifyIconA(uint32_t dwMessage, NOTIFYICONDATA* lpData) = 0;
  virtual HWND FindWindowA(const char* lpClassName, const char* lpWindowName) = 0;
  virtual bool GetWindowRect(HWND hWnd, RECT* lpRect) = 0;
  virtual bool SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                            uint32_t uFlags) = 0;
};

}  // namespace platform
