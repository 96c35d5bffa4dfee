// A launcher's turn at the printer, among all launchers of this user. Launchers wait for a busy
// printer only while there is room in its queue, and a printer that just failed is not tried by
// every waiting job in turn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/launch_lock.h"

namespace launch {

class PrinterTurn {
 public:
  enum class Take {
    Ours,     // the printer is ours until this object goes
    Busy,     // its queue is full; the job waits for a later tick
    Resting,  // it failed moments ago and is not tried; reason holds its failure
    Failed    // the lock itself could not be taken; reason holds why
  };

  // More launchers than this waiting for one printer leave at once.
  static constexpr int kQueueRoom = 64;
  // A failure keeps the printer from being tried again for this long: less than a tick, so each
  // tick tries it once.
  static constexpr std::int64_t kRestMs = 5000;

  // folder: the user's private folder; printer names the printer (any text); job names the job
  // to print (any text that tells jobs apart).
  Take take(const std::string& folder, const std::string& printer, const std::string& job,
            std::string& reason);
  // Tells the other launchers the printer failed on our job, and why.
  void failed(const std::string& reason);
  // The printer works again.
  void worked();
  // Resting: whether it was our job the printer failed on.
  bool failedOnOurJob() const { return failedOnOurs_; }

 private:
  std::string notePath_, job_;
  bool failedOnOurs_ = false;
  platform::PrivateLock lock_{false};
};

}  // namespace launch
