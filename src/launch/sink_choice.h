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
  std::string command;            // Command from LPT1: the text after the '|', as the user wrote it
  std::string lockKey;            // launchers with equal keys take turns at one printer
  bool cupsDefault = false;       // lp to the default destination: raw unless CUPS can convert
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

// Whether CUPS should type and convert the job rather than pass it raw: PostScript ("%!", after an
// optional UTF-8 byte order mark, Ctrl-D or a PJL preamble) or PDF ("%PDF-"), from its first bytes.
bool cupsConverts(const std::string& head);

// The command for one job: the default destination prints PostScript and PDF through CUPS's
// filters, so a printer that speaks neither still prints them; anything else goes raw.
std::vector<std::string> commandFor(const SinkPlan& plan, const std::string& head);

}  // namespace launch
