// File services on Windows. Names are matched by our own wildcard matching against the long name,
// never by FindFirstFile's: that one also matches 8.3 short names, so "*.bat" would reach
// "notes.batch" and the sweep would delete it.
#include "platform/files.h"

#include <windows.h>

#include <array>
#include <vector>

#include "platform/dos_path.h"
#include "platform/win32/found_name.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

struct Listing {
  std::vector<std::string> names;
  size_t next = 0;
};
Listing listing;

std::array<HANDLE, 256> slots = [] {
  std::array<HANDLE, 256> a{};
  a.fill(INVALID_HANDLE_VALUE);
  return a;
}();
// A new file being written, by slot: its path, and whether a write failed (it is not kept then).
std::array<std::string, 256> created;
std::array<bool, 256> writeFailed{};

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DEVICE;

// C:\dir\pattern -> C:\dir\ and pattern.
bool splitPattern(const std::string& dosPattern, std::string& folder, std::string& pattern) {
  const size_t cut = dosPattern.rfind('\\');
  if (cut == std::string::npos) return false;
  pattern = dosPattern.substr(cut + 1);
  return !pattern.empty() && toHostPath(dosPattern.substr(0, cut + 1), folder);
}

// Ordinary files only: no folders, links, hidden files or devices.
bool listMatches(const std::string& dosPattern, std::vector<std::string>& names,
                 std::string* folderOut) {
  std::string folder, pattern;
  if (!splitPattern(dosPattern, folder, pattern)) return false;
  // The wide call, for the short names the A call cannot give.
  WIN32_FIND_DATAW found;
  const HANDLE find =
      FindFirstFileExW(wideText(folder + "*", CP_ACP).c_str(), FindExInfoStandard, &found,
                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    std::string longName;
    const std::string name = foundName(found, &longName);
    const bool wanted = name[0] != '.' && matchesPattern(name, pattern) &&
                        matchesPattern(longName, pattern) &&
                        !(found.dwFileAttributes & kNotOrdinary);
    if (wanted) names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  if (folderOut) *folderOut = folder;
  return true;
}

bool validSlot(int n) {
  return n >= 1 && n < static_cast<int>(slots.size());
}

// Opens without following a link; what was opened must be an ordinary file on a disk.
bool openSlot(int n, const std::string& dosPath, DWORD access, DWORD disposition) {
  std::string host;
  if (!validSlot(n) || slots[n] != INVALID_HANDLE_VALUE || !toHostPath(dosPath, host)) return false;
  if (host.back() == '\\') return false;
  const DWORD existing = GetFileAttributesA(host.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES &&
      (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  const HANDLE file =
      CreateFileA(host.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, disposition,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    CloseHandle(file);
    return false;
  }
  slots[n] = file;
  return true;
}

}  // namespace

namespace {

// The bytes of an ordinary file of at most maxBytes, opened without following a link. Whose it
// is goes by its bytes alone here: an elevated user's files belong to the Administrators group.
bool readSmallFile(const std::string& path, size_t maxBytes, std::string& bytes) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
            !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
            info.nFileSizeHigh == 0 && info.nFileSizeLow <= maxBytes;
  if (ok) {
    bytes.assign(maxBytes + 1, '\0');
    DWORD got = 0, total = 0;
    while (ok && total < bytes.size()) {
      ok = ReadFile(file, &bytes[total], static_cast<DWORD>(bytes.size() - total), &got, nullptr);
      if (got == 0) break;
      total += got;
    }
    ok = ok && total <= maxBytes;
    bytes.resize(total);
  }
  CloseHandle(file);
  return ok;
}

}  // namespace

bool KillOwn(const std::string& dosPattern, size_t maxBytes, const SweepFilter& isOurs) {
  std::vector<std::string> names;
  std::string folder;
  if (!listMatches(dosPattern, names, &folder)) return false;
  bool deleted = false, ok = true;
  std::string bytes;
  for (const std::string& name : names) {
    if (!readSmallFile(folder + name, maxBytes, bytes) || !isOurs(name, bytes)) continue;
    if (DeleteFileA((folder + name).c_str()))
      deleted = true;
    else
      ok = false;
  }
  return deleted && ok;
}

bool RemoveFile(const std::string& dosPath) {
  std::string host;
  return toHostPath(dosPath, host) && DeleteFileA(host.c_str());
}

std::string Dir(const std::string& dosPattern) {
  listing = Listing{};
  if (!listMatches(dosPattern, listing.names, nullptr)) return std::string();
  return Dir();
}

std::string Dir() {
  if (listing.next >= listing.names.size()) return std::string();
  return listing.names[listing.next++];
}

bool MkDir(const std::string& dosPath) {
  std::string host;
  return toHostPath(dosPath, host) && CreateDirectoryA(host.c_str(), nullptr);
}

bool FolderExists(const std::string& dosPath) {
  std::string host;
  if (!toHostPath(dosPath, host)) return false;
  const DWORD attributes = GetFileAttributesA(host.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Opened OpenForBinaryWrite(int n, const std::string& dosPath) {
  std::string host;
  if (!validSlot(n) || slots[n] != INVALID_HANDLE_VALUE || !toHostPath(dosPath, host) ||
      host.back() == '\\')
    return Opened::Failed;
  // Only a new file: a name taken in any form (a link too) is left to whoever has it.
  const HANDLE file =
      CreateFileA(host.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Opened::Taken
                                                                       : Opened::Failed;
  }
  slots[n] = file;
  created[n] = host;
  writeFailed[n] = false;
  return Opened::Yes;
}

bool OpenForBinaryRead(int n, const std::string& dosPath) {
  return openSlot(n, dosPath, GENERIC_READ, OPEN_EXISTING);
}

bool Put(int n, const std::string& bytes) {
  if (!validSlot(n) || slots[n] == INVALID_HANDLE_VALUE) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(slots[n], bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      writeFailed[n] = true;
      return false;
    }
    done += written;
  }
  return true;
}

bool GetAll(int n, std::string& bytes) {
  if (!validSlot(n) || slots[n] == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(slots[n], start, nullptr, FILE_BEGIN)) return false;
  std::string out;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(slots[n], buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) break;
    out.append(buffer, got);
  }
  bytes.swap(out);
  return true;
}

bool Close(int n) {
  if (!validSlot(n) || slots[n] == INVALID_HANDLE_VALUE) return false;
  const HANDLE file = slots[n];
  slots[n] = INVALID_HANDLE_VALUE;
  const bool ok = CloseHandle(file) != 0 && !writeFailed[n];
  // Part of a script is nothing the sweep would recognise: it would stay for good.
  if (!created[n].empty() && writeFailed[n]) DeleteFileA(created[n].c_str());
  created[n].clear();
  writeFailed[n] = false;
  return ok;
}

}  // namespace platform
