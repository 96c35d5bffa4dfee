#include <cstdio>

#include "platform/win32/launch_sink_win32.h"
#include "platform/win32/launch_win32.h"

namespace platform {

std::string finalPath(HANDLE h, const std::string& fallback) {
  char text[MAX_PATH * 4] = {};
  const DWORD n = ::GetFinalPathNameByHandleA(h, text, sizeof text, FILE_NAME_NORMALIZED);
  return n > 0 && n < sizeof text ? std::string(text) : fallback;
}

namespace {

std::string timeStamp() {
  FILETIME utc, local;
  SYSTEMTIME t;
  ::GetSystemTimePreciseAsFileTime(&utc);
  ::FileTimeToLocalFileTime(&utc, &local);
  ::FileTimeToSystemTime(&local, &t);
  const unsigned long tenths = static_cast<unsigned long>(
      ((static_cast<unsigned long long>(local.dwHighDateTime) << 32) | local.dwLowDateTime) %
      10000000ull);
  char text[64];
  std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u.%07lu", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond, tenths);
  return text;
}

bool setDeleteOnClose(HANDLE h, bool on) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = on;
  return ::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition);
}

// A folder: each job a new hidden file, marked for deletion while it is written, so a launcher
// killed meanwhile leaves nothing behind; flushed, then given a name no other job has, so a
// reader of the folder never sees a half-written job.
class FolderSink : public StagedSink {
 public:
  FolderSink(OwnedHandle lock, std::string folder, std::string tempName, OwnedHandle file,
             std::string jobName)
      : lock_(std::move(lock)),
        folder_(std::move(folder)),
        tempName_(std::move(tempName)),
        file_(std::move(file)),
        jobName_(std::move(jobName)) {}

  bool write(const char* data, std::size_t size) override {
    return writeAll(file_.get(), data, size) || failWith(error_, "write");
  }

  bool commit() override {
    if (!::FlushFileBuffers(file_.get()) || !setDeleteOnClose(file_.get(), false) ||
        !::CloseHandle(file_.release())) {
      failWith(error_, tempName_);
      abort();
      return false;
    }
    // Room for the time stamp and a counter within a file name's 255 characters.
    const std::string base = timeStamp() + "-" + jobName_.substr(0, 200);
    for (int attempt = 1; attempt < 1000; ++attempt) {
      const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
      // Without MOVEFILE_REPLACE_EXISTING: never over another job.
      if (::MoveFileExA(tempName_.c_str(), (folder_ + name).c_str(), MOVEFILE_WRITE_THROUGH)) {
        tempName_.clear();
        return true;
      }
      const DWORD code = ::GetLastError();
      if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) break;
    }
    failWith(error_, "rename " + tempName_);
    abort();
    return false;
  }

  void abort() override {
    file_.reset();  // marked for deletion: it goes with the handle
    if (!tempName_.empty()) ::DeleteFileA(tempName_.c_str());
    tempName_.clear();
  }
  ~FolderSink() override { abort(); }

 private:
  OwnedHandle lock_;
  std::string folder_;
  std::string tempName_;
  OwnedHandle file_;
  std::string jobName_;
};

}  // namespace

std::unique_ptr<Sink> openFolderSink(const std::string& path, const std::string& jobName,
                                     std::string& error) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  OwnedHandle dir(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  OwnedHandle spool(::CreateFileA(".", FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!dir || !spool) return failWith(error, path), nullptr;
  // Jobs written into the spool folder itself would come back as new jobs, for ever.
  if (sameFile(dir.get(), spool.get())) return error = path + ": is the spool folder", nullptr;
  OwnedHandle lock;
  if (!lockSink("folder " + finalPath(dir.get(), path), lock, error)) return nullptr;
  std::string folder = path;
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  const std::string tempName =
      folder + "~lptspool-" + std::to_string(::GetCurrentProcessId()) + ".tmp";
  OwnedHandle file(::CreateFileA(tempName.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN, nullptr));
  if (!file) return failWith(error, tempName), nullptr;
  if (!setDeleteOnClose(file.get(), true)) {
    failWith(error, tempName);
    file.reset();
    ::DeleteFileA(tempName.c_str());
    return nullptr;
  }
  return std::make_unique<FolderSink>(std::move(lock), folder, tempName, std::move(file), jobName);
}

}  // namespace platform
