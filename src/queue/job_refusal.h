// Whether a job is refused before it is printed, for reasons that cannot change until the job
// itself changes. One rule for the server's tick (which then spends nothing more on the job) and
// the launcher (which checks again on the file it has opened).
#pragma once

#include <cstdint>
#include <string>

#include "platform/job_identity.h"

namespace queue {

constexpr std::uint64_t kDefaultMaxJobBytes = std::uint64_t{1} << 30;

// The largest job printed, from the LPTSPOOL_MAX_JOB setting's text: bytes, or with a K, M or G
// suffix (powers of 1024). The default for an unset, empty or unreadable setting.
std::uint64_t maxJobBytes(const char* setting);

// Empty when the job may be printed; otherwise the reason it is refused, as the list shows it.
// An empty job is not refused: it prints as nothing.
std::string refusalReason(const platform::JobFacts& facts, std::uint64_t maxBytes);

}  // namespace queue
