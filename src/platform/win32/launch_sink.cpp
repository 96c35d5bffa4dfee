#include "platform/launch_sink.h"

#include "platform/win32/launch_sink_win32.h"
#include "platform/win32/launch_win32.h"
// After windows.h, which it needs.
#include <winspool.h>

#include <algorithm>

namespace platform {

long long StagedSink::sendFrom(int, std::uint64_t, std::size_t) {
  return kByWrite;
}

bool StagedSink::print(int jobFd, const FileStamp& settled) {
  std::string buffer;
  bool inSystem = true;
  std::uint64_t offset = 0;
  while (offset < settled.size) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(16 << 20, settled.size - offset));
    long long n = inSystem ? sendFrom(jobFd, offset, want) : kByWrite;
    if (n == kByWrite) {
      inSystem = false;
      if (buffer.empty()) buffer.resize(64 * 1024);
      OVERLAPPED at = {};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD got = 0;
      const DWORD size = static_cast<DWORD>(std::min(want, buffer.size()));
      if (!::ReadFile(asHandle(jobFd), &buffer[0], size, &got, &at) &&
          ::GetLastError() != ERROR_HANDLE_EOF)
        return abort(), failWith(error_, "read the job");
      n = got;
      if (n > 0 && !write(buffer.data(), got)) return abort(), false;
    } else if (n < 0) {
      return abort(), false;
    }
    if (n == 0) break;
    offset += static_cast<std::uint64_t>(n);
  }
  FileStamp now;
  if (offset != settled.size || !stampOf(asHandle(jobFd), now) || now != settled) {
    changed_ = true;
    error_ = "the job changed while printing";
    return abort(), false;
  }
  return commit();
}

std::string defaultDevice() {
  return "LPT1";
}

namespace {

// A port or printer takes the bytes as they come and cannot give them back, so the job is
// gathered in a scratch copy first and handed over whole at commit: a job that changes or fails
// half way never reaches the paper.
class GatheredSink : public StagedSink {
 public:
  GatheredSink(OwnedHandle lock, OwnedHandle copy)
      : lock_(std::move(lock)), copy_(std::move(copy)) {}
  bool write(const char* data, std::size_t size) override {
    return writeAll(copy_.get(), data, size) || failWith(error_, "write job copy");
  }
  bool commit() override {
    const bool ok = deliver(copy_.get());
    copy_.reset();
    return ok;
  }
  void abort() override { copy_.reset(); }

 protected:
  virtual bool deliver(HANDLE copy) = 0;

 private:
  OwnedHandle lock_;
  OwnedHandle copy_;
};

// LPT1, COM1, a FIFO or whatever else the name opens: written, never taken back.
class DeviceSink : public GatheredSink {
 public:
  DeviceSink(OwnedHandle lock, OwnedHandle copy, OwnedHandle device)
      : GatheredSink(std::move(lock), std::move(copy)), device_(std::move(device)) {}

 protected:
  bool deliver(HANDLE copy) override {
    // A port that leads to a file (Wine's dosdevices) gets the job after the ones before it; a
    // real port has no end to go to, and the call fails harmlessly.
    LARGE_INTEGER zero = {};
    ::SetFilePointerEx(device_.get(), zero, nullptr, FILE_END);
    if (!copyWhole(copy, device_.get(), error_)) return false;
    return ::CloseHandle(device_.release()) || failWith(error_, "close");
  }

 private:
  OwnedHandle device_;
};

// An installed Windows printer, through the spooler with the RAW data type: the bytes reach
// the printer as the program wrote them. Printed only when the spooler accepts the whole
// document at its end.
class PrinterSink : public GatheredSink {
 public:
  PrinterSink(OwnedHandle lock, OwnedHandle copy, HANDLE printer, std::string jobName)
      : GatheredSink(std::move(lock), std::move(copy)),
        printer_(printer),
        jobName_(std::move(jobName)) {}
  ~PrinterSink() override { ::ClosePrinter(printer_); }

 protected:
  bool deliver(HANDLE copy) override {
    DOC_INFO_1A doc = {};
    doc.pDocName = &jobName_[0];
    char raw[] = "RAW";
    doc.pDatatype = raw;
    if (::StartDocPrinterA(printer_, 1, reinterpret_cast<LPBYTE>(&doc)) == 0)
      return failWith(error_, "StartDocPrinter");
    bool ok = ::StartPagePrinter(printer_) || failWith(error_, "StartPagePrinter");
    LARGE_INTEGER zero = {};
    if (ok && !::SetFilePointerEx(copy, zero, nullptr, FILE_BEGIN))
      ok = failWith(error_, "job copy");
    std::string buffer(65536, '\0');
    for (DWORD n = 0; ok;) {
      if (!::ReadFile(copy, &buffer[0], static_cast<DWORD>(buffer.size()), &n, nullptr)) {
        ok = failWith(error_, "job copy");
      } else if (n == 0) {
        break;
      } else {
        for (DWORD done = 0, wrote = 0; ok && done < n; done += wrote)
          if (!::WritePrinter(printer_, &buffer[done], n - done, &wrote) || wrote == 0)
            ok = failWith(error_, "WritePrinter");
      }
    }
    if (ok) ok = ::EndPagePrinter(printer_) || failWith(error_, "EndPagePrinter");
    if (ok) return ::EndDocPrinter(printer_) || failWith(error_, "EndDocPrinter");
    ::AbortPrinter(printer_);
    return false;
  }

 private:
  HANDLE printer_;
  std::string jobName_;
};

// A regular file the jobs are appended to; a failed job is cut off again.
class AppendSink : public StagedSink {
 public:
  AppendSink(OwnedHandle lock, OwnedHandle file, LARGE_INTEGER start)
      : lock_(std::move(lock)), file_(std::move(file)), start_(start) {}
  bool write(const char* data, std::size_t size) override {
    return writeAll(file_.get(), data, size) || failWith(error_, "write");
  }
  bool commit() override {
    if (!::FlushFileBuffers(file_.get())) {
      failWith(error_, "flush");
      abort();
      return false;
    }
    file_.reset();
    return true;
  }
  void abort() override {
    if (file_ && (!::SetFilePointerEx(file_.get(), start_, nullptr, FILE_BEGIN) ||
                  !::SetEndOfFile(file_.get())))
      failWith(error_, "truncate");
    file_.reset();
  }

 private:
  OwnedHandle lock_;
  OwnedHandle file_;
  LARGE_INTEGER start_;
};

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::unique_ptr<Sink> openDevice(const std::string& path, std::string& error) {
  std::string device = upper(path);
  if (device.compare(0, 4, "\\\\.\\") != 0) {
    if (device.back() == ':') device.pop_back();
    device = "\\\\.\\" + device;
  }
  OwnedHandle lock, copy;
  if (!lockSink("port " + device, lock, error) || !openJobCopy(copy, error)) return nullptr;
  // No sharing: the port is ours alone from now to the job's end.
  OwnedHandle h(::CreateFileA(device.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return failWith(error, path), nullptr;
  return std::make_unique<DeviceSink>(std::move(lock), std::move(copy), std::move(h));
}

}  // namespace

bool isPortName(const std::string& path) {
  if (path.compare(0, 4, "\\\\.\\") == 0) return true;
  std::string name = upper(path);
  if (!name.empty() && name.back() == ':') name.pop_back();
  if (name == "PRN") return true;
  const bool lpt = name.compare(0, 3, "LPT") == 0, com = name.compare(0, 3, "COM") == 0;
  return (lpt || com) && name.size() == 4 && name[3] >= '1' && name[3] <= '9';
}

bool isPrinterName(const std::string& name) {
  HANDLE printer = nullptr;
  if (name.empty() || !::OpenPrinterA(const_cast<char*>(name.c_str()), &printer, nullptr))
    return false;
  ::ClosePrinter(printer);
  return true;
}

bool roomFor(const std::string& path, std::uint64_t bytes, std::string& why) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (path.empty() || isPortName(path) || attributes == INVALID_FILE_ATTRIBUTES) return true;
  std::string folder = path;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const std::size_t slash = path.find_last_of("\\/");
    folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  }
  ULARGE_INTEGER room;
  if (!::GetDiskFreeSpaceExA(folder.c_str(), &room, nullptr, nullptr) || room.QuadPart >= bytes)
    return true;
  why = path + ": " + std::to_string(room.QuadPart) + " bytes free, too few for the job's " +
        std::to_string(bytes);
  return false;
}

std::unique_ptr<Sink> openPathSink(const std::string& path, const std::string& jobName,
                                   std::string& error) {
  if (path.empty()) return error = "no printer named", nullptr;
  if (isPortName(path)) return openDevice(path, error);
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return openFolderSink(path, jobName, error);
  if (path.back() == '\\' || path.back() == '/') {
    // Only a name ending in a separator says "a folder": that one is made, and never taken for a
    // printer's name or, were a file of that name there, for that file.
    if (attributes == INVALID_FILE_ATTRIBUTES && !makePrinterFolder(path, error)) return nullptr;
    return openFolderSink(path, jobName, error);
  }
  OwnedHandle lock, copy;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Not a file: the name of an installed printer, or nothing.
    HANDLE printer = nullptr;
    if (!::OpenPrinterA(const_cast<char*>(path.c_str()), &printer, nullptr))
      return failWith(error, path + ": neither a port, a folder, a file nor a printer"), nullptr;
    // One document at a time through the spooler, whatever the printer: Wine names its spool
    // files after job numbers each process counts from 1, so two launchers spooling at once
    // would write into one file and print one's job as the other's.
    if (!lockSink("spooler", lock, error) || !openJobCopy(copy, error)) {
      ::ClosePrinter(printer);
      return nullptr;
    }
    return std::make_unique<PrinterSink>(std::move(lock), std::move(copy), printer, jobName);
  }
  // No OPEN_ALWAYS: a missing printer is a failure, never a new file.
  OwnedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failWith(error, path), nullptr;
  if (!lockSink("file " + finalPath(file.get(), path), lock, error)) return nullptr;
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
    // A pipe or device under a file's name: it gets the job whole at commit.
    if (!openJobCopy(copy, error)) return nullptr;
    return std::make_unique<DeviceSink>(std::move(lock), std::move(copy), std::move(file));
  }
  LARGE_INTEGER zero = {}, end = {};
  if (!::SetFilePointerEx(file.get(), zero, &end, FILE_END)) return failWith(error, path), nullptr;
  return std::make_unique<AppendSink>(std::move(lock), std::move(file), end);
}

}  // namespace platform
