// One launcher run: read the launcher and its script, lock the jobs, run the lines.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "platform/launch_host.h"

namespace launch {

enum ExitStatus : int {
  kDone = 0,        // the script ran to its end
  kLineFailed = 1,  // a line failed; the lines after it did not run
  kRefused = 2,     // launcher or script unreadable or not one we run; nothing ran
  kBusy = 3,        // another launcher is printing the job, or already printed it; nothing ran
};

struct LaunchOptions {
  std::string launcher;
  std::int64_t settleMs = 2000;
  // How long a job still changing is watched before it is left for the next tick: the server
  // looks at it again then, and a launcher waiting here would hold a place other jobs need.
  std::int64_t giveUpMs = 0;
  std::uint64_t maxJobBytes = std::uint64_t{1} << 30;  // larger jobs are refused
  std::optional<std::string> lpt1;
  // Asked only when LPT1 is unset and a job is to be copied.
  std::function<std::optional<std::string>()> cupsDestination;
  platform::Clock* clock = nullptr;  // null: the system clock
  std::ostream* debug = nullptr;     // null: quiet
};

// Runs in the working folder, which must be the script's folder.
ExitStatus runLauncher(const LaunchOptions& options);

// The CUPS default destination as "lpstat -d" names it; nullopt without CUPS or a default.
std::optional<std::string> probeCupsDestination();

}  // namespace launch
