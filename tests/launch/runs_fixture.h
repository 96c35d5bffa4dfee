// A spool folder with a printer folder beside it and a clock the test drives, for whole
// launcher runs.
#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "launch/runner.h"
#include "launch_test_support.h"

namespace launchtest {

// Time passes only when slept, and each sleep may do something to the job.
class FakeClock : public platform::Clock {
 public:
  std::int64_t nowMs() override { return now; }
  // Starts at the real time, so that a job written by the test counts as changed just now, and
  // moves only when slept, however slow the host.
  std::int64_t realTimeNs() override { return startNs + now * 1000000 + aheadNs; }
  const std::int64_t startNs = platform::systemClock().realTimeNs();
  std::int64_t aheadNs = 0;
  void sleepMs(std::int64_t ms) override {
    now += ms;
    ++sleeps;
    if (onSleep) onSleep();
  }
  std::int64_t now = 0;
  int sleeps = 0;
  std::function<void()> onSleep;
};

class Runs : public SpoolFolder {
 protected:
  void SetUp() override {
    SpoolFolder::SetUp();
    out_ = dir_ / "out";
    fs::create_directory(out_);
    options_.settleMs = 0;
    options_.lpt1 = out_.string();
    options_.clock = &clock_;
    options_.debug = &log_;
    options_.cupsDestination = [] { return std::optional<std::string>(); };
  }

  launch::ExitStatus run(const std::string& launcher) {
    options_.launcher = launcher;
    return launch::runLauncher(options_);
  }

  std::vector<std::string> printed() {
    std::vector<std::string> contents;
    for (const auto& entry : fs::directory_iterator(out_)) contents.push_back(readFile(entry));
    return contents;
  }

  bool has(const std::string& name) { return fs::exists(fs::symlink_status(spool_ / name)); }

  fs::path out_;
  FakeClock clock_;
  std::ostringstream log_;
  launch::LaunchOptions options_;
};

}  // namespace launchtest
