// Windows wildcard matching, the same on every host: the sweep and the listing must agree.
#include "platform/files.h"

namespace platform {

namespace {

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matchAt(const char* n, const char* p) {
  // Iterative glob with a single backtrack point: linear enough for file names.
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

}  // namespace

bool matchesPattern(const std::string& name, const std::string& pattern) {
  return matchAt(name.c_str(), pattern.c_str());
}

}  // namespace platform
