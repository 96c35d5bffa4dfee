#include "platform/win32/launch_win32.h"

#include <cstdio>
#include <cstdlib>

#include "platform/launch_job.h"
#include "platform/name_hash.h"

namespace platform {

bool failWith(std::string& error, const std::string& what) {
  const DWORD code = ::GetLastError();
  char text[512] = {};
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) text[--n] = 0;
  error = what + ": " + (n > 0 ? std::string(text) : "error " + std::to_string(code));
  return false;
}

bool writeAll(HANDLE h, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(h, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

std::string userFolder() {
  const char* local = std::getenv("LOCALAPPDATA");
  if (local && *local) {
    std::string folder = std::string(local) + "\\lptspool";
    if (::CreateDirectoryA(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)
      return folder + "\\";
  }
  char temp[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathA(sizeof temp, temp);
  return n > 0 && n < sizeof temp ? std::string(temp) : std::string(".\\");
}

bool lockSink(const std::string& key, OwnedHandle& lock, std::string& error) {
  const std::string hex = platform::nameHash(key);
  const std::string path = userFolder() + "sink-" + hex + ".lock";
  OwnedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) return failWith(error, path);
  OVERLAPPED at = {};
  if (!::LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at))
    return failWith(error, "lock " + path);
  lock = std::move(h);
  return true;
}

bool openJobCopy(OwnedHandle& copy, std::string& error) {
  char folder[MAX_PATH + 1] = {};
  char name[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathA(sizeof folder, folder);
  if (n == 0 || n >= sizeof folder || !::GetTempFileNameA(folder, "lpt", 0, name))
    return failWith(error, "job copy");
  // GetTempFileName made the file; it is opened again to be deleted with its last handle.
  OwnedHandle h(::CreateFileA(name, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                              TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!h) {
    failWith(error, name);
    ::DeleteFileA(name);
    return false;
  }
  copy = std::move(h);
  return true;
}

bool copyWhole(HANDLE from, HANDLE to, std::string& error) {
  LARGE_INTEGER zero = {};
  if (!::SetFilePointerEx(from, zero, nullptr, FILE_BEGIN)) return failWith(error, "job copy");
  std::string buffer(65536, '\0');
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(from, &buffer[0], static_cast<DWORD>(buffer.size()), &n, nullptr))
      return failWith(error, "job copy");
    if (n == 0) return true;
    if (!writeAll(to, buffer.data(), n)) return failWith(error, "write");
  }
}

bool sameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x, y;
  return ::GetFileInformationByHandle(a, &x) && ::GetFileInformationByHandle(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

std::int64_t fileTimeNs(const LARGE_INTEGER& t) {
  return static_cast<std::int64_t>(t.QuadPart) * 100;
}

bool stampOf(HANDLE h, FileStamp& out) {
  FILE_BASIC_INFO basic;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(h, &size) ||
      !::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic))
    return false;
  out.size = static_cast<std::uint64_t>(size.QuadPart);
  out.mtimeNs = fileTimeNs(basic.LastWriteTime);
  out.ctimeNs = fileTimeNs(basic.ChangeTime);
  return true;
}

}  // namespace platform
