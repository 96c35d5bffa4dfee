#include "platform/host_texts.h"

#include <cstdio>

namespace platform {

// Names here are the bytes the user's own tools show.
std::string shownText(const std::string& bytes) {
  return bytes;
}

const char* usageForm() {
  return "PRINTINGDIR=/path/to/folder";
}

const char* helpText() {
  return "Usage: lptspool PRINTINGDIR=/path/to/folder\n"
         "\n"
         "Folder print server: every 7 seconds each *.ps job in the folder is sent, raw and\n"
         "unchanged, to the printer behind lpt1 (set by the LPT1 environment variable; see\n"
         "man lptspool), and removed once printed. The folder is created when missing.\n"
         "The folder may also be given as PRINTINGDIR=\"Z:\\path\\to\\folder\\\" (drive Z: is /).\n"
         "\n"
         "  --queue    list the waiting jobs and their states (state, name, size, reason)\n"
         "  --check    show the printer lpt1 stands for and whether it can work (status 1 if not)\n"
         "  --help     show this text\n"
         "  --version  show the version\n";
}

const char* unsetLpt1Note() {
  return "LPT1 unset: the CUPS default, else /dev/lp0";
}

std::string printersLine(const std::optional<std::string>& cupsDestination) {
  return "CUPS default:  " + (cupsDestination ? *cupsDestination : std::string("none"));
}

void refuseStart(const std::string& reason, const std::string&) {
  std::fprintf(stderr, "lptspool: %s\n", reason.c_str());
}

}  // namespace platform
