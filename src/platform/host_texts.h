// What the program tells a user that depends on the host: how a folder is written, the help text,
// the printers there are, and where a refusal at start-up is seen.
#pragma once

#include <optional>
#include <string>

namespace platform {

// A text to show, UTF-8 as every text the program shows. A file name arrives in the bytes the
// file system gave: on Windows the ANSI code page, decoded here wherever a byte is not part of
// UTF-8 already, so that a text holding both, or shown twice over, comes out right.
std::string shownText(const std::string& bytes);

// The option with a folder as a user of this host writes it.
const char* usageForm();
// The text of --help.
const char* helpText();
// What lpt1 is when LPT1 is unset or empty.
const char* unsetLpt1Note();
// The printers this host offers, as one line of --check.
std::string printersLine(const std::optional<std::string>& cupsDestination);
// One line saying why the program does not start, where whoever started it sees it: stderr, or
// on Windows the console it was started from, or else a message box with `boxText`.
void refuseStart(const std::string& reason, const std::string& boxText);

}  // namespace platform
