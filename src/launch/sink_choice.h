// Which sink lpt1 stands for, from the LPT1 setting.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace launch {

struct SinkPlan {
  enum class Kind { Path, Command };
  Kind kind = Kind::Path;
  std::string path;               // Path: device, FIFO, folder or regular file
  std::vector<std::string> argv;  // Command
  std::string lockKey;            // Command: launchers with equal keys take turns
};

// The CUPS default destination from the output of "lpstat -d" in the C locale; nullopt when
// there is none or its name could be taken for an option.
std::optional<std::string> defaultDestination(const std::string& lpstatOutput);

// LPT1 set and not empty: "|command" runs through the host's shell, anything else is a path.
// Unset or empty: lp to the CUPS default destination when there is one, else the host's printer
// port.
// False only for "|" with no command.
bool planSink(const std::optional<std::string>& lpt1,
              const std::optional<std::string>& cupsDestination, SinkPlan& plan);

}  // namespace launch
