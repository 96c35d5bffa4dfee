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
      plan.command = command;
      plan.argv = platform::shellCommand(command);
      plan.lockKey = "sh " + command;
    } else {
      plan.path = *lpt1;
      plan.lockKey = "path " + *lpt1;
    }
    return true;
  }
  if (cupsDestination) {
    plan.kind = SinkPlan::Kind::Command;
    // Raw: the job's bytes reach the printer as the program wrote them.
    plan.argv = {"lp", "-d", *cupsDestination, "-o", "raw"};
    plan.lockKey = "lp " + *cupsDestination;
    plan.cupsDefault = true;
  } else {
    plan.path = platform::defaultDevice();
    plan.lockKey = "path " + plan.path;
  }
  return true;
}

bool cupsConverts(const std::string& head) {
  std::size_t at = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < head.size() && head[at] == '\x04') ++at;
  // PJL: the universal exit, then "@PJL" lines, then the job's own language.
  const std::string exitLanguage = "\x1B%-12345X";
  if (head.compare(at, exitLanguage.size(), exitLanguage) == 0) {
    at += exitLanguage.size();
    while (head.compare(at, 4, "@PJL") == 0) {
      std::size_t end = head.find('\n', at);
      if (end == std::string::npos) return false;
      at = end + 1;
    }
  }
  return head.compare(at, 2, "%!") == 0 || head.compare(at, 5, "%PDF-") == 0;
}

std::vector<std::string> commandFor(const SinkPlan& plan, const std::string& head) {
  if (!plan.cupsDefault || !cupsConverts(head)) return plan.argv;
  std::vector<std::string> argv = plan.argv;
  argv.resize(3);  // lp -d DEST
  return argv;
}

}  // namespace launch
