// lptspool-launch LAUNCHER.pif: runs a launcher's batch script in the spool folder and sends
// its job to the lpt1 sink.
#include <cstdlib>
#include <iostream>
#include <string>

#include "launch/report.h"
#include "launch/runner.h"
#include "platform/launch_host.h"
#include "queue/job_refusal.h"
#include "queue/settle_time.h"

int main(int argc, char** argv) {
  platform::ignoreBrokenPipes();
  bool debug = std::getenv("LPTSPOOL_DEBUG") != nullptr;
  if (argc != 2) {
    if (debug) std::cerr << "usage: lptspool-launch LAUNCHER.pif\n";
    return launch::kRefused;
  }
  launch::LaunchOptions options;
  options.launcher = argv[1];
  options.settleMs = queue::settleMs();
  options.maxJobBytes = queue::maxJobBytes(std::getenv("LPTSPOOL_MAX_JOB"));
  if (const char* lpt1 = std::getenv("LPT1")) options.lpt1 = std::string(lpt1);
  options.cupsDestination = launch::probeCupsDestination;
  options.debug = debug ? &std::cerr : nullptr;
  // The launcher runs in the spool folder.
  std::string here;
  if (platform::currentFolder(here)) launch::keepStatesOf(here);
  return launch::runLauncher(options);
}
