#include "launch/runner.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "launch/job_copy.h"
#include "launch/pif_reader.h"
#include "launch/printed_notes.h"
#include "launch/report.h"
#include "launch/script.h"
#include "platform/launch_job.h"
#include "platform/launch_lock.h"
#include "platform/private_folder.h"

namespace launch {

namespace {

using queue::Kind;

constexpr std::size_t kMaxLauncherBytes = 64 * 1024;
constexpr std::size_t kMaxScriptBytes = 64 * 1024;
constexpr int kLockAttempts = 5;

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
      ExitStatus status = line.command == ScriptLine::Command::Copy ? copy(*jobs_.at(line.name))
                          : del(line.name)                          ? kDone
                                                                    : kLineFailed;
      if (status != kDone) {
        log("line " + std::to_string(i + 1) + " did not run through; stopping");
        return status;
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
    if (!platform::readOwnFile(options_.launcher, kMaxLauncherBytes, launcher, error))
      return log(error), false;
    if (!scriptPathFromLauncher(launcher, dosPath))
      return log(options_.launcher + ": no script path in the launcher"), false;
    if (!hostScriptLocation(dosPath, folder, name))
      return log(dosPath + ": not a script path on this host"), false;
    if (!platform::currentFolder(here) || !platform::realFolder(folder, there) || here != there)
      return log(dosPath + ": outside the working folder"), false;
    spoolFolder_ = here;
    if (!platform::readOwnFile(name, kMaxScriptBytes, script, error)) return log(error), false;
    if (!parseScript(script, lines, error)) return log(name + ": " + error), false;
    return true;
  }

  // Every job the script copies is ours alone until the script has ended.
  ExitStatus lockJobs(const std::vector<ScriptLine>& lines) {
    std::string error;
    bool copies = false;
    for (const ScriptLine& line : lines) copies |= line.command == ScriptLine::Command::Copy;
    if (copies && (!platform::privateFolder(spoolFolder_, jobFolder_, error) ||
                   !platform::privateUserFolder(userFolder_, error)))
      return log("no private folder for locks: " + error), kLineFailed;
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
          return report(name, Kind::Failed, job.error()), kLineFailed;
      }
      switch (job.tryLock(jobFolder_)) {
        case platform::JobFile::Lock::Locked:
          return kDone;
        case platform::JobFile::Lock::Busy:
          return log(name + ": being printed by another launcher"), kBusy;
        case platform::JobFile::Lock::Gone:
          return log(name + ": gone, printed by another launcher"), kBusy;
        case platform::JobFile::Lock::Replaced:
          continue;  // a new job took the name: lock that one instead
        case platform::JobFile::Lock::Failed:
          return report(name, Kind::Failed, job.error()), kLineFailed;
      }
    }
    return log(name + ": keeps being replaced"), kBusy;
  }

  ExitStatus copy(platform::JobFile& job) {
    if (!copier_) copier_ = std::make_unique<JobCopy>(options_, clock_, jobFolder_, userFolder_);
    std::optional<platform::JobIdentity> identity;
    const ExitStatus status = copier_->copy(job, identity);
    if (identity) printed_[job.name()] = *identity;
    return status;
  }

  bool del(const std::string& name) {
    auto job = jobs_.find(name);
    if (job != jobs_.end()) {
      const auto printed = printed_.find(name);
      switch (job->second->removeName()) {
        case platform::JobFile::Removal::Removed:
          // Gone under every name: its note has nothing left to guard.
          if (printed != printed_.end() && job->second->nameless())
            forgetPrinted(jobFolder_, printed->second);
          return true;
        case platform::JobFile::Removal::Missing:
          return true;
        default:
          // Its note, written when the printer took it, keeps any later launcher from
          // printing it again.
          report(name, Kind::Unprintable, "printed, but not deleted: " + job->second->error());
          return false;
      }
    }
    // Already gone is fine: the server's sweep may have taken a helper file first.
    std::string error;
    if (platform::removeFromWorkingFolder(name, error) != platform::Removal::Failed) return true;
    return log(error), false;
  }

  const LaunchOptions& options_;
  platform::Clock& clock_;
  std::map<std::string, std::unique_ptr<platform::JobFile>> jobs_;
  std::map<std::string, platform::JobIdentity> printed_;  // job name: what the printer took
  std::unique_ptr<JobCopy> copier_;
  std::string spoolFolder_, jobFolder_, userFolder_;
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
