#include "platform/job_identity.h"

#include <limits>

namespace platform {

namespace {

bool digits(const std::string& text, std::size_t& at, std::uint64_t& value) {
  const std::size_t start = at;
  value = 0;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    const auto digit = static_cast<std::uint64_t>(text[at] - '0');
    if (value > (kMax - digit) / 10) return false;
    value = value * 10 + digit;
    ++at;
  }
  return at > start;
}

}  // namespace

bool parseIdentity(const std::string& text, JobIdentity& identity) {
  std::uint64_t parts[4];
  std::size_t at = 0;
  bool negative = false;
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && (at >= text.size() || text[at++] != ' ')) return false;
    // Only the modification time may lie before 1970.
    if (i == 3 && at < text.size() && text[at] == '-') negative = true, ++at;
    if (!digits(text, at, parts[i])) return false;
  }
  constexpr auto kMaxTime = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (at != text.size() || parts[3] > kMaxTime) return false;
  const auto time = static_cast<std::int64_t>(parts[3]);
  identity = {parts[0], parts[1], parts[2], negative ? -time : time};
  return true;
}

}  // namespace platform
