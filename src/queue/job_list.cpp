#include "queue/job_list.h"

#include <algorithm>
#include <set>

namespace queue {

const char* const kUnusableName =
    "its name holds a character no batch script can carry (a control character, \" or \\)";

std::optional<JobRecord> readRecord(const platform::JobStateStore& store, const std::string& name) {
  std::string bytes;
  JobRecord r;
  if (!store.read(name, bytes) || !decode(bytes, r) || r.name != name) return std::nullopt;
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

void record(const platform::JobStateStore& store, const std::string& name, Kind kind,
            const std::string& reason) {
  store.write(name, encode(advance(readRecord(store, name), name, kind, reason,
                                   platform::processId(), platform::unixTime())));
}

std::vector<JobView> currentJobs(const platform::JobStateStore& store,
                                 const std::string& dosFolder) {
  std::map<std::string, JobRecord> byName;
  for (JobRecord& r : readRecords(store)) byName[r.name] = std::move(r);
  std::vector<JobView> jobs;
  for (platform::SpoolFile& file : platform::listSpoolFiles(dosFolder + "*.ps")) {
    JobView view{std::move(file), JobRecord{}};
    view.state.name = view.file.name;
    const auto found = byName.find(view.file.name);
    if (found != byName.end()) {
      const JobRecord& r = found->second;
      const bool stale =
          (r.kind == Kind::Printing && !platform::processAlive(r.pid)) || r.kind == Kind::Printed;
      if (!stale) view.state = r;
    }
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

void Tracker::afterTick(const std::vector<std::string>& found,
                        const std::vector<std::string>& refused) {
  const std::int64_t now = platform::unixTime();
  for (const std::string& name : refused) {
    const std::optional<JobRecord> old = readRecord(store_, name);
    if (!old || old->kind != Kind::Unprintable || old->reason != kUnusableName)
      store_.write(name, encode(advance(old, name, Kind::Unprintable, kUnusableName,
                                        platform::processId(), now)));
  }
  const std::set<std::string> present(found.begin(), found.end());
  std::map<std::string, JobRecord> records;
  for (JobRecord& r : readRecords(store_)) {
    if (r.kind == Kind::Printed) {
      // Said once, then forgotten: a job of the same name later on is a new job.
      say_(stderrLine(r));
      store_.remove(r.name);
      said_.erase(r.name);
    } else if (!present.count(r.name)) {
      store_.remove(r.name);  // removed by hand, or printed and its record lost
    } else {
      records.emplace(r.name, std::move(r));
    }
  }
  for (auto it = said_.begin(); it != said_.end();)
    it = present.count(it->first) ? std::next(it) : said_.erase(it);
  for (const auto& [name, r] : records) {
    // Plain progress (queued, printing) says nothing; a try that fails again the same way neither.
    const std::string line = stderrLine(r);
    if (line.empty() || said_[name] == line) continue;
    said_[name] = line;
    say_(line);
  }
}

}  // namespace queue
