// What the document list asks of the desktop on Win32: a question with buttons of our own
// words, the Recycle Bin, and Explorer on the folder.
#include "platform/win32/gui/win_toolkit.h"
// clang-format off
#include <shlobj.h>
// clang-format on

namespace win32ui {
namespace {

// The question's buttons get our texts as it opens: the system names its own in the language
// Windows is set to. One question at a time per thread, as a message box is.
thread_local HHOOK questionHook = nullptr;
thread_local const std::wstring* questionButtons = nullptr;

LRESULT CALLBACK renameButtons(int code, WPARAM wParam, LPARAM lParam) {
  const ::HWND box = reinterpret_cast<::HWND>(wParam);
  wchar_t kind[16] = L"";
  if (code == HCBT_ACTIVATE && questionButtons && GetClassNameW(box, kind, ARRAYSIZE(kind)) &&
      lstrcmpW(kind, L"#32770") == 0) {
    SetDlgItemTextW(box, IDOK, questionButtons[0].c_str());
    SetDlgItemTextW(box, IDCANCEL, questionButtons[1].c_str());
    questionButtons = nullptr;
  }
  return CallNextHookEx(questionHook, code, wParam, lParam);
}

DWORD registryNumber(HKEY root, const wchar_t* key, const wchar_t* value) {
  DWORD number = 0, size = sizeof number;
  if (RegGetValueW(root, key, value, RRF_RT_REG_DWORD, nullptr, &number, &size) != ERROR_SUCCESS)
    return 0;
  return number;
}

}  // namespace

bool WinToolkit::ask(ui::Window& owner, const std::string& title, const std::string& question,
                     const std::string& yes, const std::string& no) {
  // OK and Cancel under our names: Escape and the close box answer as the second does, which
  // is also the default.
  const std::wstring buttons[2] = {widen(yes), widen(no)};
  questionButtons = buttons;
  questionHook = SetWindowsHookExW(WH_CBT, renameButtons, nullptr, GetCurrentThreadId());
  const int answer =
      MessageBoxW(fromHandle32(owner.hWnd()), widen(question).c_str(), widen(title).c_str(),
                  MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
  if (questionHook) UnhookWindowsHookEx(questionHook);
  questionHook = nullptr;
  questionButtons = nullptr;
  return answer == IDOK;
}

bool recycleBinTakes(const std::wstring& path) {
  // Switched off for every drive by policy.
  const wchar_t* policy = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
  if (registryNumber(HKEY_CURRENT_USER, policy, L"NoRecycleFiles") ||
      registryNumber(HKEY_LOCAL_MACHINE, policy, L"NoRecycleFiles"))
    return false;
  wchar_t root[MAX_PATH] = L"";
  // Asked of the folder: Wine answers for a file's own path with a root that is no drive.
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
  if (!GetVolumePathNameW(folder.c_str(), root, MAX_PATH)) return false;
  // Network shares, removable media and the rest have no bin: the shell deletes for good.
  if (GetDriveTypeW(root) != DRIVE_FIXED) return false;
  // "Don't move files to the Recycle Bin" on this drive.
  wchar_t volume[MAX_PATH] = L"";
  if (GetVolumeNameForVolumeMountPointW(root, volume, MAX_PATH)) {
    const std::wstring name(volume);
    const std::size_t open = name.find(L'{'), close = name.find(L'}');
    if (open != std::wstring::npos && close != std::wstring::npos && close > open) {
      const std::wstring key =
          L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
          name.substr(open, close - open + 1);
      if (registryNumber(HKEY_CURRENT_USER, key.c_str(), L"NukeOnDelete")) return false;
      // A file bigger than the bin's room would be deleted for good after the shell's own
      // question, in the system's language, and then be reported as in the bin.
      const DWORD megabytes = registryNumber(HKEY_CURRENT_USER, key.c_str(), L"MaxCapacity");
      WIN32_FILE_ATTRIBUTE_DATA file{};
      if (megabytes && GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file) &&
          ((static_cast<ULONGLONG>(file.nFileSizeHigh) << 32) | file.nFileSizeLow) >
              static_cast<ULONGLONG>(megabytes) << 20)
        return false;
    }
  }
  SHQUERYRBINFO bin{};
  bin.cbSize = sizeof bin;
  return SUCCEEDED(SHQueryRecycleBinW(root, &bin));
}

bool WinToolkit::moveToTrash(const std::string& dosFolder, const std::string& name) {
  // The shell reads wildcards and separators in what it is given: such a name is not taken.
  if (name.empty() || name.find_first_of("\\/:*?\"<>|") != std::string::npos) return false;
  std::string from = dosFolder + name;
  // Where the bin cannot take it, the shell would delete it for good without a word: the
  // caller asks the user first.
  if (!recycleBinTakes(widen(from))) return false;
  from.push_back('\0');  // the list of files ends with a second NUL
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  // Should the bin still refuse it (too big for the room it has), the shell asks before it
  // deletes for good, rather than doing it silently.
  operation.fFlags =
      FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_WANTNUKEWARNING;
  return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

bool WinToolkit::openFolder(const std::string& dosPath) {
  return reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, "open", dosPath.c_str(), nullptr,
                                                   nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace win32ui
