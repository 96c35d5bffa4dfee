#include "queue/settle_time.h"

#include <cstdlib>

namespace queue {

std::int64_t settleMs() {
  const char* text = std::getenv("LPTSPOOL_SETTLE_MS");
  if (!text || !*text) return 2000;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (*end != '\0' || value < 0 || value > 600000) return 2000;
  return value;
}

}  // namespace queue
