// How long a job must have stayed unchanged to count as complete. The server looks at a job's
// stamp once a tick and starts a launcher only for a job that has settled; the launcher waits the
// same time before it prints.
#pragma once

#include <cstdint>

namespace queue {

// LPTSPOOL_SETTLE_MS; 2 seconds when unset or unreadable.
std::int64_t settleMs();

}  // namespace queue
