// A short file name for any text: the private folder's files are named after spool folders, jobs
// and printers, whose own characters may be anything.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// FNV-1a, 64 bits, as 16 hex digits: stable across runs and hosts.
inline std::string nameHash(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

}  // namespace platform
