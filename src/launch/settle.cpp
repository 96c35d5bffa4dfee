#include "launch/settle.h"

namespace launch {

Settle waitUntilSettled(const std::function<bool(platform::FileStamp&)>& stamp,
                        platform::Clock& clock, std::int64_t settleMs, std::int64_t giveUpMs,
                        platform::FileStamp& settled, const std::function<bool()>& stillWritten,
                        const std::function<bool(const platform::FileStamp&)>& settledAlready) {
  platform::FileStamp before;
  if (!stamp(before)) return Settle::Failed;
  if (settledAlready && settledAlready(before)) {
    settled = before;
    return Settle::Complete;
  }
  const std::int64_t start = clock.nowMs();
  for (;;) {
    clock.sleepMs(settleMs);
    platform::FileStamp after;
    if (!stamp(after)) return Settle::Failed;
    // A writer that pauses longer than the settle time still has the file open: the job is
    // not complete until it lets go.
    if (after == before && !(stillWritten && stillWritten())) {
      settled = after;
      return Settle::Complete;
    }
    if (clock.nowMs() - start >= giveUpMs) return Settle::GaveUp;
    before = after;
  }
}

}  // namespace launch
