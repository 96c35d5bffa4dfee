// Win32 helpers shared by the launcher's host files; never included outside src/platform.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE h) : h_(h) {}
  ~OwnedHandle() { reset(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& o) noexcept : h_(o.release()) {}
  OwnedHandle& operator=(OwnedHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (*this) ::CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Sets error to "what: <the system's text for GetLastError()>" and returns false.
bool failWith(std::string& error, const std::string& what);

// Writes everything, retrying after short writes.
bool writeAll(HANDLE h, const char* data, std::size_t size);

// Waits for our turn at the sink named key: an exclusive lock on a file of this user's own,
// held until the handle closes (also when the launcher dies).
bool lockSink(const std::string& key, OwnedHandle& lock, std::string& error);

// A scratch file in this user's temp folder that goes away with its last handle.
bool openJobCopy(OwnedHandle& copy, std::string& error);

// Copies the whole of from, from its start, into to.
bool copyWhole(HANDLE from, HANDLE to, std::string& error);

// Volume and file index: the file's identity, whatever its name.
bool sameFile(HANDLE a, HANDLE b);

std::int64_t fileTimeNs(const LARGE_INTEGER& t);

struct FileStamp;
bool stampOf(HANDLE h, FileStamp& out);

// The folder a printer path names, its trailing separators dropped, and the length of its root
// (C:\ or \\server\share\). False for a path that is not absolute.
bool absoluteFolder(const std::string& hostPath, std::string& folder, std::size_t& root);

// Makes the printer folder hostPath names and every missing level above it. False with the
// reason when it cannot be made or a file stands there.
bool makePrinterFolder(const std::string& hostPath, std::string& error);

// A port the system names itself (LPT1, LPT1:, COM2, PRN, \\.\...), not a file.
bool isPortName(const std::string& path);

// An installed printer (or a printer connection) of that name, one the spooler opens.
bool isPrinterName(const std::string& name);

// %LOCALAPPDATA%\lptspool\ (created when missing), or the temp folder where there is none.
std::string userFolder();

// A job's handle lives in the descriptor slot the other hosts use. Windows promises that a kernel
// handle survives being cut to 32 bits and sign-extended back.
inline HANDLE asHandle(int fd) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd));
}
inline int asSlot(HANDLE h) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(h));
}

}  // namespace platform
