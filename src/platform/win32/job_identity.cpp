#include "platform/job_identity.h"

#include "platform/win32/launch_win32.h"

namespace platform {

bool identityOf(const std::string& hostPath, JobIdentity& identity) {
  // No access asked: nobody's share mode keeps us from learning which file it is.
  OwnedHandle h(::CreateFileA(hostPath.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!h || !::GetFileInformationByHandle(h.get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  const ULONGLONG ticks = (static_cast<ULONGLONG>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                          info.ftLastWriteTime.dwLowDateTime;
  identity.device = info.dwVolumeSerialNumber;
  identity.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  identity.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  // FILETIME counts 100 ns steps from 1601.
  identity.mtimeNs = (static_cast<std::int64_t>(ticks) - 116444736000000000LL) * 100;
  return true;
}

}  // namespace platform
