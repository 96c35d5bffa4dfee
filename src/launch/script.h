// The batch scripts the server writes, and nothing else: "copy NAME lpt1" and "del NAME".
#pragma once

#include <string>
#include <vector>

namespace launch {

struct ScriptLine {
  enum class Command { Copy, Del };
  Command command;
  std::string name;  // a plain file name in the working folder, quotes and %% resolved
};

// Parses the whole script before any of it runs. Commands and the device are matched in any
// case; "lpt1:" is lpt1. A name is bare or double-quoted; %% reads as %. Any other line, a lone
// %, or a name with a path in it refuses the whole script: false, with the reason in error.
// Empty lines are skipped; lines end in CR LF or LF.
bool parseScript(const std::string& bytes, std::vector<ScriptLine>& lines, std::string& error);

}  // namespace launch
