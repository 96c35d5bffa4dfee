// lptspool.com: the console companion of the windowed lptspool.exe beside it. cmd does not wait
// for a windowed program, so its prompt would come before the program's words and %errorlevel%
// would not be its status. cmd prefers .com to .exe, so typing "lptspool" runs this one: it starts
// lptspool.exe with the same command tail on the same console and waits for it. A server start
// returns as soon as the server runs (it sets the event named after its process id), not when the
// server ends; anything else returns with the program's own status.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/started_event.h"

using platform::startedEventName;

namespace {

// What follows the program's name, untouched: the name is skipped the way the C runtime skips it.
std::wstring commandTail(const wchar_t* line) {
  const wchar_t* at = line;
  if (*at == L'"') {
    ++at;
    while (*at && *at != L'"') ++at;
    if (*at) ++at;
  } else {
    while (*at && *at != L' ' && *at != L'\t') ++at;
  }
  while (*at == L' ' || *at == L'\t') ++at;
  return at;
}

std::wstring serverProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L"lptspool.exe";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t dot = path.find_last_of(L".\\");
  if (dot != std::wstring::npos && path[dot] == L'.') path.resize(dot);
  return path + L".exe";
}

// Our standard handle, as one the child inherits: the console itself (unless `console` is
// false), or the file or pipe it was led to. Each is passed on, since a windowed program's C
// runtime cannot reopen a stream it was given no handle for.
HANDLE passedOn(DWORD which, bool console) {
  const HANDLE handle = GetStdHandle(which);
  HANDLE copy = nullptr;
  DWORD mode = 0;
  if (!handle || handle == INVALID_HANDLE_VALUE || (!console && GetConsoleMode(handle, &mode)) ||
      !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS))
    return nullptr;
  return copy;
}

}  // namespace

int main() {
  const std::wstring program = serverProgram();
  std::wstring line = L"\"" + program + L"\"";
  const std::wstring tail = commandTail(GetCommandLineW());
  if (!tail.empty()) line += L" " + tail;

  // Its words go where ours would: this console, or the file or pipe ours were led to. Alone on a
  // console of its own, as after a double click in Explorer, a line there would vanish with the
  // console at once: lptspool.exe gets none, as from Explorer, and answers in a message box.
  DWORD onConsole[2];
  const bool alone = GetConsoleProcessList(onConsole, 2) == 1;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = passedOn(STD_INPUT_HANDLE, !alone);
  startup.hStdOutput = passedOn(STD_OUTPUT_HANDLE, !alone);
  startup.hStdError = passedOn(STD_ERROR_HANDLE, !alone);
  if (alone) FreeConsole();
  const BOOL inherit = startup.hStdInput || startup.hStdOutput || startup.hStdError;
  PROCESS_INFORMATION child{};
  // Suspended until its event exists, so that a server never runs before it can tell us.
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, inherit, CREATE_SUSPENDED,
                      nullptr, nullptr, &startup, &child)) {
    std::fprintf(stderr, "lptspool: cannot start %ls (error %lu)\n", program.c_str(),
                 static_cast<unsigned long>(GetLastError()));
    return 1;
  }
  const HANDLE started =
      CreateEventW(nullptr, TRUE, FALSE, startedEventName(child.dwProcessId).c_str());
  ResumeThread(child.hThread);
  CloseHandle(child.hThread);
  const HANDLE waitFor[] = {child.hProcess, started};
  const DWORD count = started ? 2 : 1;
  const DWORD which = WaitForMultipleObjects(count, waitFor, FALSE, INFINITE);
  if (which == WAIT_OBJECT_0 + 1) return 0;  // the server runs, and goes on without us
  DWORD status = 1;
  GetExitCodeProcess(child.hProcess, &status);
  return static_cast<int>(status);
}
