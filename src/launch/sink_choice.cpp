#include "launch/sink_choice.h"

#include "platform/launch_sink.h"

namespace launch {

std::optional<std::string> defaultDestination(const std::string& lpstatOutput) {
  const std::string prefix = "system default destination:";
  if (lpstatOutput.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  std::string name = lpstatOutput.substr(prefix.size());
  name = name.substr(0, name.find('\n'));
  const char* blanks = " \t\r";
  std::size_t first = name.find_first_not_of(blanks);
  if (first == std::string::npos) return std::nullopt;
  name = name.substr(first, name.find_last_not_of(blanks) - first + 1);
  if (name[0] == '-') return std::nullopt;
  return name;
}

bool planSink(const std::optional<std::string>& lpt1,
              const std::optional<std::string>& cupsDestination, SinkPlan& plan) {
  plan = SinkPlan();
  if (lpt1 && !lpt1->empty()) {
    if ((*lpt1)[0] == '|') {
      std::string command = lpt1->substr(1);
      if (command.find_first_not_of(" \t") == std::string::npos) return false;
      plan.kind = SinkPlan::Kind::Command;
      plan.argv = platform::shellCommand(command);
      plan.lockKey = "sh " + command;
    } else {
      plan.path = *lpt1;
    }
    return true;
  }
  if (cupsDestination) {
    plan.kind = SinkPlan::Kind::Command;
    // Raw: the job's bytes reach the printer as the program wrote them.
    plan.argv = {"lp", "-d", *cupsDestination, "-o", "raw"};
    plan.lockKey = "lp " + *cupsDestination;
  } else {
    plan.path = platform::defaultDevice();
  }
  return true;
}

}  // namespace launch
