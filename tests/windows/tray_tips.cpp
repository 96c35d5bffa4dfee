// Prints the texts of the tooltips other programs' tooltip windows hold, one a line in UTF-8:
// what the notification area's icons say when the mouse rests on them. The texts live in the
// shell's process, so they are asked for through memory lent in that process.
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kTextRoom = 1024;

std::string utf8(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(out.find('\0'));
  return out;
}

void printTools(HWND tooltips) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tooltips, &pid);
  if (pid == GetCurrentProcessId()) return;
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return;
  const SIZE_T room = sizeof(TTTOOLINFOW) + kTextRoom * sizeof(wchar_t);
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, room, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  const int count = static_cast<int>(SendMessageW(tooltips, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; remote && i < count; ++i) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof tool);
    tool.lpszText = remoteText;
    std::vector<wchar_t> text(kTextRoom, L'\0');
    WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
    WriteProcessMemory(process, remoteText, text.data(), kTextRoom * sizeof(wchar_t), nullptr);
    if (!SendMessageW(tooltips, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote))) continue;
    ReadProcessMemory(process, remoteText, text.data(), kTextRoom * sizeof(wchar_t), nullptr);
    text.back() = L'\0';
    if (text[0]) std::printf("%s\n", utf8(text.data()).c_str());
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
}

BOOL CALLBACK visit(HWND window, LPARAM) {
  wchar_t kind[64] = L"";
  if (GetClassNameW(window, kind, 64) && lstrcmpiW(kind, TOOLTIPS_CLASSW) == 0) printTools(window);
  return TRUE;
}

}  // namespace

int main() {
  EnumWindows(visit, 0);
  std::fflush(stdout);
  return 0;
}
