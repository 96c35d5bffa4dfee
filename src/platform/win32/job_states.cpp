// Job states and the spool folder's listing for the document list, on Windows.
#include "platform/job_states.h"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "platform/dos_path.h"
#include "platform/files.h"
#include "platform/private_folder.h"
#include "platform/win32/found_name.h"
#include "platform/win32/launch_win32.h"
#include "platform/win32/wide_text.h"

namespace platform {

namespace {

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DEVICE;

std::int64_t unixTimeOf(const FILETIME& t) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

bool plainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

namespace {

constexpr DWORD kMaxStateBytes = 16 * 1024;

bool readState(const std::string& path, std::string& bytes) {
  // Shared for deletion too, so a launcher can replace the state while we read it.
  OwnedHandle h(::CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  LARGE_INTEGER size;
  if (!h || !::GetFileSizeEx(h.get(), &size) || size.QuadPart > kMaxStateBytes) return false;
  std::string out(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD n = 0;
  if (!out.empty() && !::ReadFile(h.get(), &out[0], static_cast<DWORD>(out.size()), &n, nullptr))
    return false;
  out.resize(n);
  bytes.swap(out);
  return true;
}

}  // namespace

bool JobStateStore::write(const std::string& jobName, const std::string& bytes) const {
  if (folder_.empty()) return false;
  const std::string target = fileOf(jobName);
  const std::string aside = target + "." + std::to_string(::GetCurrentProcessId()) + ".new";
  OwnedHandle h(::CreateFileA(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return false;
  bool ok = writeAll(h.get(), bytes.data(), bytes.size()) && ::CloseHandle(h.release());
  // A reader that shares no deletion (a virus scanner) holds the old state only for a moment.
  for (int attempt = 0; ok; ++attempt) {
    if (::MoveFileExA(aside.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) break;
    const DWORD code = ::GetLastError();
    ok = attempt < 20 && (code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED);
    if (ok) ::Sleep(5);
  }
  if (!ok) ::DeleteFileA(aside.c_str());
  return ok;
}

bool JobStateStore::read(const std::string& jobName, std::string& bytes) const {
  return !folder_.empty() && readState(fileOf(jobName), bytes);
}

std::vector<std::string> JobStateStore::readAll() const {
  std::vector<std::string> all;
  if (folder_.empty()) return all;
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((folder_ + kFilePrefix + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return all;
  do {
    // States being written aside carry a dot.
    const std::string name = found.cFileName;
    if (name.compare(0, 6, kFilePrefix) != 0 || name.find('.') != std::string::npos ||
        (found.dwFileAttributes & kNotOrdinary))
      continue;
    std::string bytes;
    if (readState(folder_ + name, bytes)) all.push_back(std::move(bytes));
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return all;
}

bool JobStateStore::remove(const std::string& jobName) const {
  return !folder_.empty() && ::DeleteFileA(fileOf(jobName).c_str()) != 0;
}

std::vector<SpoolFile> listSpoolFiles(const std::string& dosPattern) {
  std::vector<SpoolFile> files;
  const std::size_t cut = dosPattern.rfind('\\');
  std::string folder;
  if (cut == std::string::npos || !toHostPath(dosPattern.substr(0, cut + 1), folder)) return files;
  const std::string pattern = dosPattern.substr(cut + 1);
  WIN32_FIND_DATAW found;
  // The names the tick's enumeration gives, short ones included.
  HANDLE find = FindFirstFileExW(wideText(folder + "*", CP_ACP).c_str(), FindExInfoStandard, &found,
                                 FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    std::string longName;
    const std::string name = foundName(found, &longName);
    if ((found.dwFileAttributes & kNotOrdinary) || !matchesPattern(name, pattern) ||
        !matchesPattern(longName, pattern))
      continue;
    const ULONGLONG size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    // Neither holes nor links are judged from the listing here: the launcher judges them.
    files.push_back({name,
                     static_cast<std::int64_t>(size),
                     unixTimeOf(found.ftLastWriteTime),
                     {},
                     size,
                     1,
                     true});
    // The file index is not in the listing: the file itself says which it is.
    identityOf(folder + name, files.back().identity);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return files;
}

bool deleteSpoolFile(const std::string& dosFolder, const std::string& name) {
  std::string folder;
  return plainName(name) && toHostPath(dosFolder, folder) &&
         DeleteFileA((folder + name).c_str()) != 0;
}

std::int64_t processId() {
  return static_cast<std::int64_t>(GetCurrentProcessId());
}

bool processAlive(std::int64_t pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (!process) return false;
  const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return alive;
}

std::int64_t unixTime() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace platform
