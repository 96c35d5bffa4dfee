// A job is printed only once its writer is done with it.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/launch_host.h"
#include "platform/launch_job.h"

namespace launch {

enum class Settle { Complete, GaveUp, Failed };

// Waits until two stamps taken settleMs apart are equal and, when stillWritten is given, no
// program holds the file open for writing; settled then holds the stamp. Gives up once the file
// has kept changing or stayed open for giveUpMs. Failed when a stamp cannot be taken. A first
// stamp for which settledAlready holds is complete at once, without a wait.
Settle waitUntilSettled(
    const std::function<bool(platform::FileStamp&)>& stamp, platform::Clock& clock,
    std::int64_t settleMs, std::int64_t giveUpMs, platform::FileStamp& settled,
    const std::function<bool()>& stillWritten = nullptr,
    const std::function<bool(const platform::FileStamp&)>& settledAlready = nullptr);

}  // namespace launch
