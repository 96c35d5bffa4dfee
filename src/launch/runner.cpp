#include "launch/runner.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "launch/pif_reader.h"
#include "launch/printer_turn.h"
#include "launch/report.h"
#include "launch/script.h"
#include "launch/settle.h"
#include "launch/sink_choice.h"
#include "platform/launch_job.h"
#include "platform/launch_lock.h"
#include "platform/launch_sink.h"
#include "platform/private_folder.h"

namespace launch {

namespace {

using queue::Kind;

constexpr std::size_t kMaxLauncherBytes = 64 * 1024;
constexpr std::size_t kMaxScriptBytes = 64 * 1024;
constexpr int kLockAttempts = 5;
// Enough of a job's start to tell PostScript or PDF behind a PJL preamble.
constexpr std::size_t kHeadBytes = 4096;

std::string stampText(const platform::FileStamp& s) {
  return std::to_string(s.size) + " " + std::to_string(s.mtimeNs) + " " + std::to_string(s.ctimeNs);
}

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
    const std::string& name = job.name();
    std::string why;
    // Checked before printing: a job that stayed after printing would be printed at every tick.
    if (!job.deletable(why))
      return report(name, Kind::Unprintable, "it could not be deleted afterwards: " + why),
             kLineFailed;
    platform::FileStamp settled;
    // Said once, at the first sign of a writer, so the list shows why a job is not printed yet.
    bool toldWritten = false;
    auto beingWritten = [&] {
      if (!toldWritten) report(name, Kind::StillWritten, "still being written");
      toldWritten = true;
    };
    std::optional<platform::FileStamp> last;
    auto stamp = [&](platform::FileStamp& s) {
      if (!job.stamp(s)) return false;
      if (last && *last != s) beingWritten();
      last = s;
      return true;
    };
    auto stillWritten = [&] {
      const bool some = job.writers() == platform::JobFile::Writers::Some;
      if (some) beingWritten();
      return some;
    };
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
      return report(name, Kind::StillWritten, "still changing; tried again at the next tick"),
             kLineFailed;
    if (settle != Settle::Complete)
      return report(name, Kind::Failed, "cannot read its size and times"), kLineFailed;
    std::string note, printedNote = jobFolder_ + "printed-" + job.key();
    std::int64_t age = 0;
    if (platform::readNote(printedNote, note, age) && note == stampText(settled))
      return report(name, Kind::Unprintable, "printed once already, but it could not be deleted"),
             kLineFailed;

    std::string head(kHeadBytes, '\0');
    long long got = job.readAt(0, head.data(), head.size());
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    const SinkPlan* plan = sinkPlan(why);
    if (!plan) return report(name, Kind::Failed, "lpt1: " + why), kLineFailed;
    PrinterTurn turn;
    switch (turn.take(userFolder_, plan->lockKey, job.key(), why)) {
      case PrinterTurn::Take::Ours:
        break;
      case PrinterTurn::Take::Busy:
        return report(name, Kind::Waiting, why), kBusy;
      case PrinterTurn::Take::Resting:
        // Not tried: the job the printer failed on keeps that failure; the others wait, with
        // the printer's own reason.
        log("the printer failed moments ago; not tried again before the next tick");
        if (!turn.failedOnOurJob()) report(name, Kind::Waiting, "lpt1: " + why);
        return kLineFailed;
      case PrinterTurn::Take::Failed:
        return report(name, Kind::Failed, "lpt1: the printer's lock: " + why), kLineFailed;
    }
    std::unique_ptr<platform::Sink> sink =
        plan->kind == SinkPlan::Kind::Command
            ? platform::openCommandSink(commandFor(*plan, head), !options_.debug, why)
            : platform::openPathSink(plan->path, name, why);
    if (!sink) return turn.failed(why), report(name, Kind::Failed, "lpt1: " + why), kLineFailed;
    report(name, Kind::Printing, "");
    if (!job.printTo(*sink, settled)) {
      if (sink->changed())
        return report(name, Kind::StillWritten, sink->error() + "; printed again later"),
               kLineFailed;
      turn.failed(sink->error());
      return report(name, Kind::Failed, "lpt1: " + sink->error()), kLineFailed;
    }
    turn.worked();
    // Written to after the printer took it: deleting it would lose what was added, so it stays
    // and is printed again, whole.
    platform::FileStamp now;
    if (!job.stamp(now) || now != settled)
      return report(name, Kind::StillWritten, "changed after printing; printed again later"),
             kLineFailed;
    printed_[name] = stampText(settled);
    report(name, Kind::Printed, std::to_string(settled.size) + " bytes");
    return kDone;
  }

  const SinkPlan* sinkPlan(std::string& error) {
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
    return &*plan_;
  }

  bool del(const std::string& name) {
    auto job = jobs_.find(name);
    if (job != jobs_.end()) {
      switch (job->second->removeName()) {
        case platform::JobFile::Removal::Removed:
        case platform::JobFile::Removal::Missing:
          return true;
        default:
          // Printed but still there: noted, so that no later launcher prints it a second time.
          if (printed_.count(name))
            platform::writeNote(jobFolder_ + "printed-" + job->second->key(), printed_[name]);
          report(name, Kind::Unprintable, "printed, but not deleted: " + job->second->error());
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
  std::map<std::string, std::string> printed_;  // job name: its stamp when printed
  std::optional<SinkPlan> plan_;
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
