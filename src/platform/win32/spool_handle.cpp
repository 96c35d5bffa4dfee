// The spool folder on Windows: the folder's own access control decides who may put what in it,
// and the launcher judges each job it opens; the tick takes one look at a job's size and time.
#include "platform/spool_handle.h"

#include <windows.h>

#include "platform/dos_path.h"

namespace platform {

namespace {

bool isFolder(const std::string& dosFolder) {
  const DWORD attributes = GetFileAttributesA(dosFolder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// 100 ns steps since 1601 to nanoseconds since 1970.
std::int64_t unixNs(const FILETIME& t) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return (static_cast<std::int64_t>(ticks) - 116444736000000000LL) * 100;
}

}  // namespace

FolderState openSpoolFolder(const std::string& dosFolder, std::string&) {
  return isFolder(dosFolder) ? FolderState::Ready : FolderState::Missing;
}

FolderState checkSpoolFolder(const std::string& dosFolder, std::string&) {
  return isFolder(dosFolder) ? FolderState::Ready : FolderState::Missing;
}

bool lookAtJob(const std::string& dosFolder, const std::string& name, JobLook& look) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (name.find_first_of("\\/:") != std::string::npos ||
      !GetFileAttributesExA((dosFolder + name).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  look.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  // Holes and links are judged by the launcher, on the file it opens.
  look.allocated = look.size;
  look.links = 1;
  look.mtimeNs = unixNs(data.ftLastWriteTime);
  look.ctimeNs = look.mtimeNs;
  look.owner = 0;
  look.mine = true;
  look.deletable = true;
  return true;
}

std::int64_t fileClockNs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return unixNs(now);
}

void releaseSpoolFolder() {}

}  // namespace platform
