#include "platform/win32/found_name.h"

#include <cwchar>

#include "platform/files.h"

namespace platform {
namespace {

// The text in the ANSI code page; false when a character had to be replaced.
bool toAnsi(const wchar_t* wide, std::string& out) {
  const int length = static_cast<int>(std::wcslen(wide));
  out.clear();
  if (length == 0) return true;
  BOOL replaced = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr,
                                    &replaced);
  out.assign(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, out.data(), n, nullptr,
                        &replaced);
  return n > 0 && !replaced;
}

}  // namespace

std::string foundName(const WIN32_FIND_DATAW& found, std::string* longName) {
  std::string name, shortName;
  const bool whole = toAnsi(found.cFileName, name);
  if (longName) *longName = name;
  if (whole) return name;
  if (found.cAlternateFileName[0] && toAnsi(found.cAlternateFileName, shortName)) return shortName;
  return name;
}

bool nameReachable(const std::string& name) {
  // No Windows file name holds either: they stand for characters the code page lacks.
  return name.find_first_of("?*") == std::string::npos;
}

}  // namespace platform
