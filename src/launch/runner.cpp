#include "launch/runner.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "launch/pif_reader.h"
#include "launch/report.h"
#include "launch/script.h"
#include "launch/settle.h"
#include "launch/sink_choice.h"
#include "platform/launch_job.h"
#include "platform/launch_sink.h"

namespace launch {

namespace {

constexpr std::size_t kMaxLauncherBytes = 64 * 1024;
constexpr std::size_t kMaxScriptBytes = 64 * 1024;
constexpr int kLockAttempts = 5;
constexpr std::size_t kSendBytes = 16 * 1024 * 1024;

class Runner {
 public:
  explicit Runner(const LaunchOptions& options)
      : options_(options), clock_(options.clock ? *options.clock : platform::systemClock()) {}

  ExitStatus run() {
    // Launcher and script are read whole first: the server's next sweep may delete both
    // while a long job is still printing.
    std::vector<ScriptLine> lines;
    if (!loadScript(lines)) return kRefused;
    ExitStatus locked = lockJobs(lines);
    if (locked != kDone) return locked;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const ScriptLine& line = lines[i];
      bool ok =
          line.command == ScriptLine::Command::Copy ? copy(*jobs_.at(line.name)) : del(line.name);
      if (!ok) {
        log("line " + std::to_string(i + 1) + " failed; stopping");
        return kLineFailed;
      }
    }
    return kDone;
  }

 private:
  void log(const std::string& text) {
    if (options_.debug) *options_.debug << "lptspool-launch: " << text << '\n';
  }

  bool loadScript(std::vector<ScriptLine>& lines) {
    std::string launcher, dosPath, folder, name, here, there, script, error;
    if (!platform::readSmallFile(options_.launcher, kMaxLauncherBytes, false, launcher, error))
      return log(error), false;
    if (!scriptPathFromLauncher(launcher, dosPath))
      return log(options_.launcher + ": no script path in the launcher"), false;
    if (!hostScriptLocation(dosPath, folder, name))
      return log(dosPath + ": not a script path on this host"), false;
    if (!platform::currentFolder(here) || !platform::realFolder(folder, there) || here != there)
      return log(dosPath + ": outside the working folder"), false;
    if (!platform::readSmallFile(name, kMaxScriptBytes, true, script, error))
      return log(error), false;
    if (!parseScript(script, lines, error)) return log(name + ": " + error), false;
    return true;
  }

  // Every job the script copies is ours alone until the script has ended.
  ExitStatus lockJobs(const std::vector<ScriptLine>& lines) {
    for (const ScriptLine& line : lines) {
      if (line.command != ScriptLine::Command::Copy || jobs_.count(line.name)) continue;
      auto job = std::make_unique<platform::JobFile>();
      ExitStatus status = lockJob(*job, line.name);
      if (status != kDone) return status;
      jobs_.emplace(line.name, std::move(job));
    }
    return kDone;
  }

  ExitStatus lockJob(platform::JobFile& job, const std::string& name) {
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
      switch (job.open(name)) {
        case platform::JobFile::Open::Ok:
          break;
        case platform::JobFile::Open::Missing:
          return log(name + ": gone, printed by another launcher"), kBusy;
        default:
          return report(name, JobState::Failed, job.error()), kLineFailed;
      }
      switch (job.tryLock()) {
        case platform::JobFile::Lock::Locked:
          return kDone;
        case platform::JobFile::Lock::Busy:
          return log(name + ": being printed by another launcher"), kBusy;
        case platform::JobFile::Lock::Gone:
          return log(name + ": gone, printed by another launcher"), kBusy;
        case platform::JobFile::Lock::Replaced:
          continue;  // a new job took the name: lock that one instead
        case platform::JobFile::Lock::Failed:
          return report(name, JobState::Failed, job.error()), kLineFailed;
      }
    }
    return log(name + ": keeps being replaced"), kBusy;
  }

  bool copy(platform::JobFile& job) {
    platform::FileStamp settled;
    auto stamp = [&job](platform::FileStamp& s) { return job.stamp(s); };
    auto stillWritten = [&job] { return job.writers() == platform::JobFile::Writers::Some; };
    // A job last changed longer than the settle time ago, and that we know nobody holds open for
    // writing, has already been still for as long as the wait would watch it. Where the host
    // cannot tell about writers (or the file's clock is ahead of ours), it is watched as usual.
    auto settledAlready = [this, &job](const platform::FileStamp& s) {
      const std::int64_t lastChangeNs = std::max(s.mtimeNs, s.ctimeNs);
      return clock_.realTimeNs() - lastChangeNs >= options_.settleMs * 1000000 &&
             job.writers() == platform::JobFile::Writers::None;
    };
    Settle settle = waitUntilSettled(stamp, clock_, options_.settleMs, options_.giveUpMs, settled,
                                     stillWritten, settledAlready);
    if (settle == Settle::GaveUp)
      return report(job.name(), JobState::StillWritten, "still being written; left for later"),
             false;
    if (settle != Settle::Complete)
      return report(job.name(), JobState::Failed, "cannot read its size and times"), false;
    std::string error;
    std::unique_ptr<platform::Sink> sink = openSink(job.name(), error);
    if (!sink) return report(job.name(), JobState::Failed, "lpt1: " + error), false;
    report(job.name(), JobState::Printing, "");

    // Straight from the job to the sink where the kernel can do it, else through a buffer.
    std::vector<char> buffer;
    bool inKernel = true;
    std::uint64_t offset = 0;
    for (;;) {
      long long n = inKernel ? job.sendTo(*sink, offset, kSendBytes) : platform::Sink::kByWrite;
      if (n == platform::Sink::kByWrite) {
        inKernel = false;
        if (buffer.empty()) buffer.resize(64 * 1024);
        n = job.readAt(offset, buffer.data(), buffer.size());
        if (n < 0) return sink->abort(), failed(job, "reading the job failed");
        if (n > 0 && !sink->write(buffer.data(), static_cast<std::size_t>(n)))
          return sink->abort(), failed(job, "lpt1: " + sink->error());
      } else if (n < 0) {
        return sink->abort(), failed(job, "lpt1: " + sink->error());
      }
      if (n == 0) break;
      offset += static_cast<std::uint64_t>(n);
    }
    // Changed while being copied: what went out may be half a job, so it is sent again later.
    platform::FileStamp now;
    if (offset != settled.size || !job.stamp(now) || now != settled)
      return sink->abort(), changed(job);
    if (!sink->commit()) return failed(job, "lpt1: " + sink->error());
    if (!job.stamp(now) || now != settled) return changed(job);
    report(job.name(), JobState::Printed, std::to_string(offset) + " bytes");
    return true;
  }

  bool failed(const platform::JobFile& job, const std::string& reason) {
    report(job.name(), JobState::Failed, reason);
    return false;
  }

  bool changed(const platform::JobFile& job) {
    report(job.name(), JobState::StillWritten, "changed while printing; printed again later");
    return false;
  }

  std::unique_ptr<platform::Sink> openSink(const std::string& jobName, std::string& error) {
    if (!plan_) {
      std::optional<std::string> destination;
      if ((!options_.lpt1 || options_.lpt1->empty()) && options_.cupsDestination)
        destination = options_.cupsDestination();
      SinkPlan plan;
      if (!planSink(options_.lpt1, destination, plan)) {
        error = "LPT1 holds no command after |";
        return nullptr;
      }
      plan_ = plan;
    }
    if (plan_->kind == SinkPlan::Kind::Command)
      return platform::openCommandSink(plan_->argv, plan_->lockKey, !options_.debug, error);
    return platform::openPathSink(plan_->path, jobName, error);
  }

  bool del(const std::string& name) {
    auto job = jobs_.find(name);
    if (job != jobs_.end()) {
      switch (job->second->removeName()) {
        case platform::JobFile::Removal::Removed:
        case platform::JobFile::Removal::Missing:
          return true;
        default:
          report(name, JobState::Unprintable, "printed, but not deleted: " + job->second->error());
          return false;
      }
    }
    // Already gone is fine: the server's sweep may have taken a helper file first.
    std::string error;
    if (platform::removeFile(name, error) != platform::Removal::Failed) return true;
    return log(error), false;
  }

  const LaunchOptions& options_;
  platform::Clock& clock_;
  std::map<std::string, std::unique_ptr<platform::JobFile>> jobs_;
  std::optional<SinkPlan> plan_;
};

}  // namespace

ExitStatus runLauncher(const LaunchOptions& options) {
  setReportStream(options.debug);
  return Runner(options).run();
}

std::optional<std::string> probeCupsDestination() {
  std::string output;
  int exitCode = -1;
  // The C locale: lpstat's wording is translated otherwise.
  if (!platform::captureOutput({"lpstat", "-d"}, {"LC_ALL=C", "LANG=C"}, 4096, output, exitCode) ||
      exitCode != 0)
    return std::nullopt;
  return defaultDestination(output);
}

}  // namespace launch
