#include "platform/launch_job.h"

#include <utility>

#include "platform/launch_sink.h"
#include "platform/win32/launch_win32.h"

namespace platform {

// The job goes first: a launcher let in by the lock then finds it gone, not half deleted.
void JobFile::close() {
  if (fd_ != -1) ::CloseHandle(asHandle(fd_));
  lock_.release();
  fd_ = -1;
}

JobFile::Open JobFile::open(const std::string& name) {
  close();
  name_ = name;
  // Read access alone, shared with everyone: a writer that opens the job again to add to it is
  // not turned away (one that shares no deletion would be by a DELETE right). writers() tells
  // whether one is at it.
  OwnedHandle h(::CreateFileA(
      name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) {
    const DWORD code = ::GetLastError();
    failWith(error_, name);
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return Open::Missing;
    // A folder opens only on request, and says so with "access denied".
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      error_ = name + ": not a regular file";
      return Open::NotRegular;
    }
    return Open::Failed;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(h.get(), &info)) {
    failWith(error_, name);
    return Open::Failed;
  }
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT) ||
      ::GetFileType(h.get()) != FILE_TYPE_DISK) {
    error_ = name + ": not a regular file";
    return Open::NotRegular;
  }
  fd_ = asSlot(h.release());
  return Open::Ok;
}

namespace {

// A handle on the file the name names now, with the given rights, or why there is none.
OwnedHandle openNamed(const std::string& name, DWORD access, bool& missing) {
  OwnedHandle named(::CreateFileA(name.c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  const DWORD code = named ? ERROR_SUCCESS : ::GetLastError();
  // A file being deleted answers "access denied" until its last handle goes.
  missing =
      code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_ACCESS_DENIED;
  return named;
}

bool deletePending(HANDLE h) {
  FILE_STANDARD_INFO info;
  return ::GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info) &&
         info.DeletePending;
}

}  // namespace

bool JobFile::sameAsName(bool& missing) {
  missing = deletePending(asHandle(fd_));
  if (missing) return false;
  OwnedHandle named = openNamed(name_, FILE_READ_ATTRIBUTES, missing);
  return named && sameFile(asHandle(fd_), named.get());
}

JobFile::Lock JobFile::tryLock(const std::string& lockFolder) {
  if (fd_ == -1) return Lock::Failed;
  switch (lock_.take(lockFolder + "job-" + key() + ".lock", false, error_)) {
    case PrivateLock::Take::Locked:
      break;
    case PrivateLock::Take::Busy:
      return Lock::Busy;
    case PrivateLock::Take::Failed:
      return Lock::Failed;
  }
  bool missing = false;
  if (sameAsName(missing)) return Lock::Locked;
  lock_.release();
  return missing ? Lock::Gone : Lock::Replaced;
}

bool JobFile::stamp(FileStamp& out) const {
  return fd_ != -1 && stampOf(asHandle(fd_), out);
}

std::string JobFile::key() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (fd_ == -1 || !::GetFileInformationByHandle(asHandle(fd_), &info)) return "unknown";
  return std::to_string(info.dwVolumeSerialNumber) + "-" +
         std::to_string((static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                        info.nFileIndexLow);
}

bool JobFile::identity(const FileStamp& settled, JobIdentity& out) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (fd_ == -1 || !::GetFileInformationByHandle(asHandle(fd_), &info)) return false;
  out = {info.dwVolumeSerialNumber,
         (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow, settled.size,
         settled.mtimeNs};
  return true;
}

bool JobFile::facts(JobFacts& out) const {
  FILE_STANDARD_INFO info;
  if (fd_ == -1 ||
      !::GetFileInformationByHandleEx(asHandle(fd_), FileStandardInfo, &info, sizeof info))
    return false;
  out = {static_cast<std::uint64_t>(info.EndOfFile.QuadPart),
         static_cast<std::uint64_t>(info.AllocationSize.QuadPart), info.NumberOfLinks};
  return true;
}

bool JobFile::deletable(std::string& why) const {
  if (fd_ == -1) return why = name_ + ": not open", false;
  // The right to delete, asked of the file system itself (ACLs, read-only files, shares), on a
  // handle that is closed again at once.
  bool missing = false;
  OwnedHandle named = openNamed(name_, DELETE | FILE_READ_ATTRIBUTES, missing);
  // A writer that shares no deletion still holds it: that says nothing about the right, and the
  // job waits for him anyway.
  if (!named && ::GetLastError() == ERROR_SHARING_VIOLATION) return true;
  if (!named) return failWith(why, "this user may not delete it");
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileInformationByHandle(named.get(), &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    why = "it is read-only";
    return false;
  }
  return true;
}

bool JobFile::printTo(Sink& sink, const FileStamp& settled) const {
  return fd_ != -1 && sink.print(fd_, settled);
}

JobFile::Writers JobFile::writers() const {
  if (fd_ == -1) return Writers::Unknown;
  // An open that shares no writing fails while any program holds the job open for writing.
  // Deletion is shared for our own handle's sake.
  OwnedHandle probe(::CreateFileA(name_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (probe) return Writers::None;
  return ::GetLastError() == ERROR_SHARING_VIOLATION ? Writers::Some : Writers::Unknown;
}

long long JobFile::readAt(std::uint64_t offset, char* buffer, std::size_t size) const {
  if (fd_ == -1) return -1;
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD n = 0;
  const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  if (::ReadFile(asHandle(fd_), buffer, want, &n, &at)) return n;
  return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

JobFile::Removal JobFile::removeName() {
  nameless_ = false;
  if (fd_ == -1) return Removal::Missing;
  // The right to delete is taken only now, on a handle of its own: held from the start it would
  // turn away a writer reopening the job. Checked and deleted through that one handle, it is this
  // very file that goes, never a new job that took the name meanwhile.
  bool missing = false;
  OwnedHandle named = openNamed(name_, DELETE | FILE_READ_ATTRIBUTES, missing);
  if (!named) {
    const DWORD code = ::GetLastError();
    // "Access denied" is a deletion under way, or a job we may not delete.
    if (!sameAsName(missing) && missing) return Removal::Missing;
    ::SetLastError(code);
    failWith(error_, name_);
    return Removal::Failed;
  }
  if (!sameFile(asHandle(fd_), named.get())) {
    error_ = name_ + ": now names another file";
    return Removal::Replaced;
  }
  // The file goes with its last handle only when this is its one name.
  FILE_STANDARD_INFO standard;
  const bool lastName =
      ::GetFileInformationByHandleEx(named.get(), FileStandardInfo, &standard, sizeof standard) &&
      standard.NumberOfLinks == 1;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (!::SetFileInformationByHandle(named.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
    failWith(error_, name_);
    return Removal::Failed;
  }
  named.reset();
  close();  // the name is free once the last handle goes
  nameless_ = lastName;
  return Removal::Removed;
}

}  // namespace platform
