// One "copy JOB lpt1" line, in its steps: the job must be deletable, settled, not refused and not
// printed already; then the printer is ours, the sink opened, the job sent and noted as printed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "launch/printer_turn.h"
#include "launch/runner.h"
#include "launch/sink_choice.h"
#include "platform/job_identity.h"
#include "platform/launch_job.h"

namespace platform {
class Sink;
}

namespace launch {

class JobCopy {
 public:
  // jobFolder: the spool folder's private folder; userFolder: the user's, for printer locks.
  JobCopy(const LaunchOptions& options, platform::Clock& clock, std::string jobFolder,
          std::string userFolder);

  // kDone when the job may be deleted: the printer took it whole now, it was printed once
  // already, or it is empty. printed then holds what the printer took; the job's note is written.
  ExitStatus copy(platform::JobFile& job, std::optional<platform::JobIdentity>& printed);

 private:
  void log(const std::string& text);
  ExitStatus waitForWriters(platform::JobFile& job, platform::FileStamp& settled);
  ExitStatus print(platform::JobFile& job, const platform::FileStamp& settled,
                   const platform::JobIdentity& identity);
  ExitStatus takeTurn(PrinterTurn& turn, const SinkPlan& plan, platform::JobFile& job);
  // Null when the printer cannot take the job; the job's state then says why.
  std::unique_ptr<platform::Sink> openSink(const SinkPlan& plan, platform::JobFile& job,
                                           std::uint64_t bytes, PrinterTurn& turn);
  const SinkPlan* sinkPlan(std::string& error);

  const LaunchOptions& options_;
  platform::Clock& clock_;
  std::string jobFolder_, userFolder_;
  std::optional<SinkPlan> plan_;
};

}  // namespace launch
