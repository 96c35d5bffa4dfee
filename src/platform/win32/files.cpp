// File services on Windows. Names are matched by our own wildcard matching against the long name,
// never by FindFirstFile's: that one also matches 8.3 short names, so "*.bat" would reach
// "notes.batch" and the sweep would delete it.
#include "platform/files.h"

#include <windows.h>

#include <array>
#include <vector>

#include "platform/dos_path.h"

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

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matchAt(const char* n, const char* p) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*n) {
    if (*p == '?' || (*p && *p != '*' && lower(*p) == lower(*n))) {
      ++n;
      ++p;
    } else if (*p == '*') {
      star = p++;
      resume = n;
    } else if (star) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DEVICE;

// C:\dir\pattern -> C:\dir\ and pattern.
bool splitPattern(const std::string& dosPattern, std::string& folder, std::string& pattern) {
  const size_t cut = dosPattern.rfind('\\');
  if (cut == std::string::npos) return false;
  pattern = dosPattern.substr(cut + 1);
  return !pattern.empty() && toHostPath(dosPattern.substr(0, cut + 1), folder);
}

// Ordinary files only, or (for a sweep) anything but folders and hidden files: a link planted
// under a helper file's name is removed itself, never its target.
bool listMatches(const std::string& dosPattern, bool forRemoval, std::vector<std::string>& names,
                 std::string* folderOut) {
  std::string folder, pattern;
  if (!splitPattern(dosPattern, folder, pattern)) return false;
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileExA((folder + "*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    const DWORD attributes = found.dwFileAttributes;
    const bool wanted = found.cFileName[0] != '.' && matchAt(found.cFileName, pattern.c_str()) &&
                        (forRemoval ? !(attributes & FILE_ATTRIBUTE_HIDDEN) &&
                                          (!(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
                                           (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                                    : !(attributes & kNotOrdinary));
    if (wanted) names.emplace_back(found.cFileName);
  } while (FindNextFileA(find, &found));
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

bool matchesPattern(const std::string& name, const std::string& pattern) {
  return matchAt(name.c_str(), pattern.c_str());
}

bool Kill(const std::string& dosPattern) {
  std::vector<std::string> names;
  std::string folder;
  if (!listMatches(dosPattern, true, names, &folder)) return false;
  bool ok = !names.empty();
  for (const std::string& name : names) {
    const std::string path = folder + name;
    // A link to a folder is a folder to DeleteFile; it goes with RemoveDirectory, target untouched.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool folderLink = attributes != INVALID_FILE_ATTRIBUTES &&
                            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                            (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!(folderLink ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str()))) ok = false;
  }
  return ok;
}

std::string Dir(const std::string& dosPattern) {
  listing = Listing{};
  if (!listMatches(dosPattern, false, listing.names, nullptr)) return std::string();
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

bool OpenForBinaryWrite(int n, const std::string& dosPath) {
  return openSlot(n, dosPath, GENERIC_WRITE, CREATE_ALWAYS);
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
    if (!WriteFile(slots[n], bytes.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
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
  return CloseHandle(file) != 0;
}

}  // namespace platform
