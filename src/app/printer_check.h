// What lpt1 stands for, resolved from LPT1 exactly as lptspool-launch resolves it, and whether it
// can work: said once at start-up, shown in the document list, and printed by --check.
#pragma once

#include <optional>
#include <string>

struct PrinterCheck {
  std::string printer;  // e.g. "the folder /home/me/printed/"
  bool works = false;
  std::string problem;  // why it cannot work, or a note on how it will
  std::string cause;    // why it cannot work, for the window: what is wrong and what to do
  bool cups = false;    // the CUPS default destination, printed through lp
  bool fifo = false;  // a FIFO: looking for its reader opens it, which its reader may take as a job
};

// cupsDestination: the CUPS default destination, asked for by the caller (only needed when LPT1
// is unset or empty).
PrinterCheck checkPrinter(const std::optional<std::string>& lpt1,
                          const std::optional<std::string>& cupsDestination,
                          const std::string& spoolHostFolder);

// The commands of the program: `lptspool --queue PRINTINGDIR=...` and `--check`. They print to
// stdout and return the exit status.
int printQueue(const std::string& dosFolder);
int printCheck(const std::string& dosFolder);

// The check the server makes at start-up and again while the printer fails. The CUPS default
// destination is asked for once, by the first call: lpstat is too slow for every tick.
PrinterCheck serverPrinterCheck(const std::string& dosFolder);
