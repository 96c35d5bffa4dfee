#include "platform/launch_host.h"

#include "platform/win32/launch_win32.h"
// After windows.h, which it needs.
#include <aclapi.h>

#include <vector>

namespace platform {

namespace {

// One of the token's SIDs: its user, or the owner it gives what it creates (an elevated
// administrator's files belong to the Administrators group).
bool tokenSid(TOKEN_INFORMATION_CLASS what, std::vector<char>& buffer) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  ::GetTokenInformation(token, what, nullptr, 0, &size);
  buffer.assign(size, '\0');
  const bool ok = size > 0 && ::GetTokenInformation(token, what, buffer.data(), size, &size);
  ::CloseHandle(token);
  return ok;
}

// Whether the file belongs to this process's user: anybody else who owns it could rewrite it.
bool ownedByUs(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  std::vector<char> user, defaultOwner;
  bool ours = false;
  if (owner && ::IsValidSid(owner)) {
    if (tokenSid(TokenUser, user))
      ours = ::EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
    if (!ours && tokenSid(TokenOwner, defaultOwner))
      ours = ::EqualSid(owner, reinterpret_cast<TOKEN_OWNER*>(defaultOwner.data())->Owner);
  }
  ::LocalFree(descriptor);
  return ours;
}

}  // namespace

// A link is refused, never followed, and a file another user owns is not run.
bool readOwnFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                 std::string& error) {
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  OwnedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | READ_CONTROL,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, flags,
                              nullptr));
  if (!h) return failWith(error, path);
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(h.get(), &info)) return failWith(error, path);
  if (::GetFileType(h.get()) != FILE_TYPE_DISK ||
      info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
    error = path + ": not a regular file";
    return false;
  }
  if (!ownedByUs(h.get())) {
    error = path + ": not this user's own";
    return false;
  }
  if (info.nFileSizeHigh != 0 || info.nFileSizeLow > maxBytes) {
    error = path + ": too large";
    return false;
  }
  std::string out(info.nFileSizeLow, '\0');
  DWORD n = 0;
  if (!out.empty() && !::ReadFile(h.get(), &out[0], info.nFileSizeLow, &n, nullptr))
    return failWith(error, path);
  out.resize(n);
  bytes.swap(out);
  return true;
}

bool currentFolder(std::string& folder) {
  return realFolder(".", folder);
}

bool realFolder(const std::string& path, std::string& real) {
  OwnedHandle h(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!h || !::GetFileInformationByHandle(h.get(), &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  // The final path names the folder itself, links resolved and in its true case, so two
  // spellings of one folder compare equal.
  char text[MAX_PATH * 4] = {};
  const DWORD n = ::GetFinalPathNameByHandleA(h.get(), text, sizeof text, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= sizeof text) return false;
  real = text;
  return true;
}

Removal removeFromWorkingFolder(const std::string& name, std::string& error) {
  const DWORD attributes = ::GetFileAttributesA(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return Removal::Missing;
  } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    error = name + ": is a folder";
    return Removal::Failed;
  }
  if (::DeleteFileA(name.c_str())) return Removal::Removed;
  const DWORD code = ::GetLastError();
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return Removal::Missing;
  failWith(error, name);
  return Removal::Failed;
}

namespace {

class SystemClock : public Clock {
 public:
  std::int64_t nowMs() override { return static_cast<std::int64_t>(::GetTickCount64()); }
  void sleepMs(std::int64_t ms) override {
    if (ms > 0) ::Sleep(static_cast<DWORD>(ms));
  }
  // On the clock and from the epoch of the job's file stamps (fileTimeNs).
  std::int64_t realTimeNs() override {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = static_cast<LONG>(now.dwHighDateTime);
    return fileTimeNs(ticks);
  }
};

}  // namespace

Clock& systemClock() {
  static SystemClock clock;
  return clock;
}

// Windows has no SIGPIPE: a write to a closed pipe already fails with an error.
void ignoreBrokenPipes() {}

// No program on Windows tells the launcher its printer: without LPT1 set, the job goes to the
// LPT1 port, which "net use" may lead to a shared printer.
bool captureOutput(const std::vector<std::string>&, const std::vector<std::string>&, std::size_t,
                   std::string&, int& exitCode) {
  exitCode = -1;
  return false;
}

}  // namespace platform
