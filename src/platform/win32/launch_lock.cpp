#include "platform/launch_lock.h"

#include "platform/win32/launch_win32.h"

namespace platform {

namespace {

bool deletePending(HANDLE h) {
  FILE_STANDARD_INFO info;
  return ::GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info) &&
         info.DeletePending;
}

}  // namespace

// The lock is a byte of a file of the user's own. A holder that removes the file marks it for
// deletion before it lets go; whoever gets the lock on a file so marked looks again, since the
// name will soon be free for a fresh file and a fresh holder.
PrivateLock::Take PrivateLock::take(const std::string& path, bool wait, std::string& error) {
  release();
  for (int attempt = 0; attempt < 200; ++attempt) {
    OwnedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr));
    if (!h) {
      // A file marked for deletion cannot be opened until its last handle is gone: a moment.
      if (::GetLastError() == ERROR_ACCESS_DENIED && attempt < 199) {
        ::Sleep(5);
        continue;
      }
      return failWith(error, path), Take::Failed;
    }
    OVERLAPPED at = {};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (!::LockFileEx(h.get(), flags, 0, 1, 0, &at)) {
      if (::GetLastError() == ERROR_LOCK_VIOLATION) return Take::Busy;
      return failWith(error, "lock " + path), Take::Failed;
    }
    if (deletePending(h.get())) continue;
    fd_ = asSlot(h.release());
    path_ = path;
    return Take::Locked;
  }
  error = path + ": keeps being replaced";
  return Take::Failed;
}

void PrivateLock::release() {
  if (fd_ == -1) return;
  if (removeFile_) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    ::SetFileInformationByHandle(asHandle(fd_), FileDispositionInfo, &disposition,
                                 sizeof disposition);
  }
  ::CloseHandle(asHandle(fd_));
  fd_ = -1;
}

bool writeNote(const std::string& path, const std::string& text) {
  const std::string temp = path + ".new" + std::to_string(::GetCurrentProcessId());
  OwnedHandle h(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return false;
  const bool ok = writeAll(h.get(), text.data(), text.size()) && ::CloseHandle(h.release()) &&
                  ::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (!ok) ::DeleteFileA(temp.c_str());
  return ok;
}

bool readNote(const std::string& path, std::string& text, std::int64_t& ageMs) {
  OwnedHandle h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) return false;
  char buffer[4096];
  DWORD n = 0;
  FILETIME written, now;
  if (!::ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr) ||
      !::GetFileTime(h.get(), nullptr, nullptr, &written))
    return false;
  ::GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                     t.dwLowDateTime);
  };
  text.assign(buffer, n);
  ageMs = (ticks(now) - ticks(written)) / 10000;
  return true;
}

void removeNote(const std::string& path) {
  ::DeleteFileA(path.c_str());
}

}  // namespace platform
