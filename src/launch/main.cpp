// lptspool-launch LAUNCHER.pif: runs a launcher's batch script in the spool folder and sends
// its job to the lpt1 sink. See docs/printing.md.
#include <cstdlib>
#include <iostream>
#include <string>

#include "launch/report.h"
#include "launch/runner.h"
#include "platform/launch_host.h"

namespace {

std::int64_t settleMs() {
  const char* text = std::getenv("LPTSPOOL_SETTLE_MS");
  if (!text || !*text) return 2000;
  char* end = nullptr;
  long long value = std::strtoll(text, &end, 10);
  if (*end != '\0' || value < 0 || value > 600000) return 2000;
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  platform::ignoreBrokenPipes();
  bool debug = std::getenv("LPTSPOOL_DEBUG") != nullptr;
  if (argc != 2) {
    if (debug) std::cerr << "usage: lptspool-launch LAUNCHER.pif\n";
    return launch::kRefused;
  }
  launch::LaunchOptions options;
  options.launcher = argv[1];
  options.settleMs = settleMs();
  if (const char* lpt1 = std::getenv("LPT1")) options.lpt1 = std::string(lpt1);
  options.cupsDestination = launch::probeCupsDestination;
  options.debug = debug ? &std::cerr : nullptr;
  // The launcher runs in the spool folder.
  std::string here;
  if (platform::currentFolder(here)) launch::keepStatesOf(here);
  return launch::runLauncher(options);
}
