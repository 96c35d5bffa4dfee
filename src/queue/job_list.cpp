#include "queue/job_list.h"

#include <algorithm>
#include <map>
#include <set>

namespace queue {

const char* const kWaitsForLauncher = "waits for a free launcher; its turn comes in a later tick";

const char* const kUnusableName =
    "its name holds a character no batch script can carry (a control character, \" or \\) or "
    "one the system's code page lacks";

namespace {

std::string keyOf(const std::string& name, const platform::JobIdentity& job) {
  return name + '\n' + job.text();
}

}  // namespace

std::optional<JobRecord> readRecord(const platform::JobStateStore& store, const std::string& name,
                                    const platform::JobIdentity& job) {
  std::string bytes;
  JobRecord r;
  if (!store.read(keyOf(name, job), bytes) || !decode(bytes, r) || r.name != name || r.job != job)
    return std::nullopt;
  return r;
}

std::vector<JobRecord> readRecords(const platform::JobStateStore& store) {
  std::vector<JobRecord> records;
  for (const std::string& bytes : store.readAll()) {
    JobRecord r;
    if (decode(bytes, r)) records.push_back(std::move(r));
  }
  return records;
}

void writeRecord(const platform::JobStateStore& store, const JobRecord& record) {
  store.write(keyOf(record.name, record.job), encode(record));
}

void removeRecord(const platform::JobStateStore& store, const JobRecord& record) {
  store.remove(keyOf(record.name, record.job));
}

void record(const platform::JobStateStore& store, const std::string& name,
            const platform::JobIdentity& job, Kind kind, const std::string& reason) {
  JobRecord next = advance(readRecord(store, name, job), name, kind, reason, platform::processId(),
                           platform::unixTime());
  next.job = job;
  writeRecord(store, next);
}

std::vector<JobView> currentJobs(const platform::JobStateStore& store,
                                 const std::string& dosFolder) {
  // The records that exist, read once: a flood of jobs without one costs no look-up each.
  std::map<std::string, JobRecord> known;
  for (JobRecord& r : readRecords(store)) known.emplace(keyOf(r.name, r.job), std::move(r));
  std::vector<JobView> jobs;
  for (platform::SpoolFile& file : platform::listSpoolFiles(dosFolder + "*.ps")) {
    JobView view{std::move(file), JobRecord{}};
    view.state.name = view.file.name;
    const auto found = known.find(keyOf(view.file.name, view.file.identity));
    // Printed and still there: it could not be deleted, and the launcher says so separately.
    if (found != known.end() && found->second.kind != Kind::Printed &&
        !(found->second.kind == Kind::Printing && !platform::processAlive(found->second.pid)))
      view.state = found->second;
    jobs.push_back(std::move(view));
  }
  std::sort(jobs.begin(), jobs.end(), [](const JobView& a, const JobView& b) {
    return a.file.changed != b.file.changed ? a.file.changed < b.file.changed
                                            : a.file.name < b.file.name;
  });
  return jobs;
}

std::string queueText(const std::vector<JobView>& jobs, std::int64_t now) {
  std::string text;
  for (const JobView& job : jobs)
    text += std::string(wordsOf(job.state.kind).queue) + '\t' + printable(job.file.name) + '\t' +
            std::to_string(job.file.size) + '\t' + reasonText(job.state, now) + '\n';
  return text;
}

namespace {

// The line last said about a job, kept beside its record and written by the server alone, so that
// a server started again says nothing it has said and nothing a launcher wrote meanwhile is lost.
std::string saidKey(const std::string& recordKey) {
  return recordKey + "\nsaid";
}

}  // namespace

Tracker::Tracker(platform::JobStateStore store, std::string spoolHostFolder,
                 std::function<void(const std::string&)> say)
    : store_(std::move(store)), folder_(std::move(spoolHostFolder)), say_(std::move(say)) {
  for (const JobRecord& r : readRecords(store_)) {
    const std::string key = keyOf(r.name, r.job);
    std::string said;
    if (r.kind == Kind::Printed)
      sayPrinted(r, ", before this start");  // printed after the last run had ended
    else if (!inFolder(r, {r.name}))
      forget(r);
    else if (store_.read(saidKey(key), said))
      said_[key] = said;
  }
}

void Tracker::forget(const JobRecord& r) {
  const std::string key = keyOf(r.name, r.job);
  removeRecord(store_, r);
  store_.remove(saidKey(key));
  said_.erase(key);
}

bool Tracker::inFolder(const JobRecord& r, const std::set<std::string>& found) const {
  platform::JobIdentity now;
  return found.count(r.name) && platform::identityOf(folder_ + r.name, now) && now == r.job;
}

void Tracker::sayPrinted(const JobRecord& r, const char* aside) {
  // Said once, then forgotten.
  say_(stderrLine(r) + aside);
  forget(r);
}

void Tracker::finish() {
  for (const JobRecord& r : readRecords(store_))
    if (r.kind == Kind::Printed) sayPrinted(r, "");
}

void Tracker::afterTick(const TickOutcome& outcome) {
  std::map<Standing, std::int64_t> counts;
  for (const RefusedGroup& group : outcome.refused.groups()) {
    counts[group.standing] = group.count;
    if (saidRefused_[group.standing] != group.count) say_(refusedLine(group, outcome.maxBytes));
  }
  saidRefused_ = counts;
  // Started now: the waiting state goes, unless its launcher has already told more.
  for (const std::string& name : outcome.started) {
    platform::JobIdentity job;
    if (!toldWaiting_.erase(name) || !platform::identityOf(folder_ + name, job)) continue;
    const std::optional<JobRecord> r = readRecord(store_, name, job);
    if (r && r->kind == Kind::Waiting && r->reason == kWaitsForLauncher) removeRecord(store_, *r);
  }
  for (const std::string& name : outcome.waiting) {
    platform::JobIdentity job;
    if (toldWaiting_.count(name) || !platform::identityOf(folder_ + name, job)) continue;
    toldWaiting_.insert(name);
    record(store_, name, job, Kind::Waiting, kWaitsForLauncher);
  }
  const std::set<std::string> present(outcome.found.begin(), outcome.found.end());
  for (auto it = toldWaiting_.begin(); it != toldWaiting_.end();)
    it = present.count(*it) ? std::next(it) : toldWaiting_.erase(it);
  std::map<std::string, JobRecord> records;
  printed_ = false;
  for (JobRecord& r : readRecords(store_)) {
    if (r.kind == Kind::Printed) {
      sayPrinted(r, "");
      printed_ = true;
    } else if (!inFolder(r, present)) {
      forget(r);  // removed by hand, replaced, or printed and its record lost
    } else {
      records.emplace(keyOf(r.name, r.job), std::move(r));
    }
  }
  records_.clear();
  for (const auto& entry : records) records_.push_back(entry.second);
  for (auto it = said_.begin(); it != said_.end();)
    it = records.count(it->first) ? std::next(it) : said_.erase(it);
  for (const auto& [key, r] : records) {
    // Plain progress (queued, printing, waiting its turn for a launcher) says nothing; a try that
    // fails again the same way neither.
    const std::string line = r.reason == kWaitsForLauncher ? "" : stderrLine(r);
    if (line.empty() || said_[key] == line) continue;
    said_[key] = line;
    store_.write(saidKey(key), line);
    say_(line);
  }
}

RefusedSummary takeRefused(std::vector<JobView>& jobs, std::uint64_t maxBytes) {
  RefusedSummary refused;
  std::vector<JobView> kept;
  for (JobView& job : jobs) {
    const platform::SpoolFile& f = job.file;
    const Standing standing = standingOf(
        f.name, {static_cast<std::uint64_t>(f.size), f.allocated, f.links}, f.deletable, maxBytes);
    if (standing == Standing::Printable)
      kept.push_back(std::move(job));
    else
      refused.add(standing, static_cast<std::uint64_t>(f.size));
  }
  jobs.swap(kept);
  return refused;
}

}  // namespace queue
