#include "launch/job_copy.h"

#include <algorithm>

#include "launch/printed_notes.h"
#include "launch/report.h"
#include "launch/settle.h"
#include "platform/launch_sink.h"
#include "queue/job_refusal.h"

namespace launch {

using queue::Kind;

namespace {
// Enough of a job's start to tell PostScript or PDF behind a PJL preamble.
constexpr std::size_t kHeadBytes = 4096;
}  // namespace

JobCopy::JobCopy(const LaunchOptions& options, platform::Clock& clock, std::string jobFolder,
                 std::string userFolder)
    : options_(options),
      clock_(clock),
      jobFolder_(std::move(jobFolder)),
      userFolder_(std::move(userFolder)) {}

void JobCopy::log(const std::string& text) {
  if (options_.debug) *options_.debug << "lptspool-launch: " << text << '\n';
}

ExitStatus JobCopy::copy(platform::JobFile& job, std::optional<platform::JobIdentity>& printed) {
  const std::string& name = job.name();
  std::string why;
  // Checked before printing: a job that stayed after printing would be printed at every tick.
  if (!job.deletable(why))
    return report(name, Kind::Unprintable, "it could not be deleted afterwards: " + why),
           kLineFailed;
  platform::FileStamp settled;
  ExitStatus status = waitForWriters(job, settled);
  if (status != kDone) return status;
  platform::JobIdentity identity;
  platform::JobFacts facts;
  if (!job.identity(settled, identity) || !job.facts(facts))
    return report(name, Kind::Failed, "cannot read its size and times"), kLineFailed;
  facts.size = settled.size;
  const std::string refusal = queue::refusalReason(facts, options_.maxJobBytes);
  if (!refusal.empty()) return report(name, Kind::Unprintable, refusal), kLineFailed;
  printed = identity;
  // The printer took this very content already, under this name or another: it is only
  // deleted, never sent again.
  if (printedAlready(jobFolder_, identity))
    return log(name + ": printed once already; deleted without printing again"), kDone;
  // Nothing to lose and nothing to send: no printer is asked, so it cannot fail on it.
  if (settled.size == 0)
    return report(name, Kind::Printed, "empty, nothing to print", &identity), kDone;
  return print(job, settled, identity);
}

ExitStatus JobCopy::waitForWriters(platform::JobFile& job, platform::FileStamp& settled) {
  const std::string& name = job.name();
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
  return kDone;
}

ExitStatus JobCopy::print(platform::JobFile& job, const platform::FileStamp& settled,
                          const platform::JobIdentity& identity) {
  const std::string& name = job.name();
  std::string why;
  const SinkPlan* plan = sinkPlan(why);
  if (!plan) return report(name, Kind::Failed, "lpt1: " + why), kLineFailed;
  PrinterTurn turn;
  ExitStatus status = takeTurn(turn, *plan, job);
  if (status != kDone) return status;
  std::unique_ptr<platform::Sink> sink = openSink(*plan, job, settled.size, turn);
  if (!sink) return kLineFailed;
  report(name, Kind::Printing, "");
  if (!job.printTo(*sink, settled)) {
    if (!sink->changed()) {
      turn.failed(sink->error());
      return report(name, Kind::Failed, "lpt1: " + sink->error()), kLineFailed;
    }
    if (sink->takesBack())
      return report(name, Kind::StillWritten, sink->error() + "; printed again later"), kLineFailed;
    // What went cannot be called back; this content is not sent again, in part or whole.
    notePrinted(jobFolder_, identity);
    return report(name, Kind::Printed,
                  "in part: " + sink->error() + "; printed whole once it has settled again",
                  &identity),
           kLineFailed;
  }
  turn.worked();
  // Noted before anything else: whatever happens to the job from here on, under whatever
  // name, this content is not printed again.
  notePrinted(jobFolder_, identity);
  // Written to after the printer took it: deleting it would lose what was added, so it stays
  // and its new content is printed once it has settled.
  platform::FileStamp now;
  if (!job.stamp(now) || !now.sameContent(settled))
    return report(name, Kind::Printed,
                  std::to_string(settled.size) +
                      " bytes; changed afterwards, so it stays and prints again once settled",
                  &identity),
           kLineFailed;
  // Said of the file printed, whatever the name names by now.
  report(name, Kind::Printed, std::to_string(settled.size) + " bytes", &identity);
  return kDone;
}

ExitStatus JobCopy::takeTurn(PrinterTurn& turn, const SinkPlan& plan, platform::JobFile& job) {
  const std::string& name = job.name();
  std::string why;
  switch (turn.take(userFolder_, plan.lockKey, job.key(), why)) {
    case PrinterTurn::Take::Ours:
      return kDone;
    case PrinterTurn::Take::Busy:
      return report(name, Kind::Waiting, why), kBusy;
    case PrinterTurn::Take::Resting:
      // Not tried: the job the printer failed on keeps that failure; the others wait, with
      // the printer's own reason.
      log("the printer failed moments ago; not tried again before the next tick");
      if (!turn.failedOnOurJob()) report(name, Kind::Waiting, "lpt1: " + why);
      return kLineFailed;
    case PrinterTurn::Take::Failed:
      break;
  }
  return report(name, Kind::Failed, "lpt1: the printer's lock: " + why), kLineFailed;
}

// Null when the printer cannot take the job; the job's state then says why.
std::unique_ptr<platform::Sink> JobCopy::openSink(const SinkPlan& plan, platform::JobFile& job,
                                                  std::uint64_t bytes, PrinterTurn& turn) {
  const std::string& name = job.name();
  std::string why;
  if (plan.kind == SinkPlan::Kind::Command) {
    std::string head(kHeadBytes, '\0');
    const long long got = job.readAt(0, head.data(), head.size());
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    auto sink = platform::openCommandSink(commandFor(plan, head), !options_.debug, why);
    if (!sink) turn.failed(why), report(name, Kind::Failed, "lpt1: " + why);
    return sink;
  }
  // Too big for the room left there: this job fails, the printer does not, so smaller jobs
  // still go.
  if (!platform::roomFor(plan.path, bytes, why))
    return report(name, Kind::Failed, "lpt1: " + why), nullptr;
  auto sink = platform::openPathSink(plan.path, name, why);
  if (!sink) turn.failed(why), report(name, Kind::Failed, "lpt1: " + why);
  return sink;
}

const SinkPlan* JobCopy::sinkPlan(std::string& error) {
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

}  // namespace launch
