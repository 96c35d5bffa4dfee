// The jobs of a spool folder with their latest states: what the document list and --queue show,
// and what the server reports on stderr as it changes.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/job_states.h"
#include "queue/job_state.h"

namespace queue {

std::optional<JobRecord> readRecord(const platform::JobStateStore& store, const std::string& name);
std::vector<JobRecord> readRecords(const platform::JobStateStore& store);

// Records a new state for the job, counting its tries.
void record(const platform::JobStateStore& store, const std::string& name, Kind kind,
            const std::string& reason);

struct JobView {
  platform::SpoolFile file;
  JobRecord state;  // kind Queued when nothing is known
};

// Every *.ps job in the folder (DOS, ending in a backslash), oldest first, with what is known of
// it. A "printing" whose launcher has died is queued again; a "printed" whose name is back in the
// folder is a new job.
std::vector<JobView> currentJobs(const platform::JobStateStore& store,
                                 const std::string& dosFolder);

// --queue: one line per job: state, name, size, reason, separated by tabs.
std::string queueText(const std::vector<JobView>& jobs, std::int64_t now);

// The server's side: after every tick, the names a batch script cannot carry are recorded, a line
// goes to `say` for every job printed and for every job whose state or reason changed, and the
// records of jobs that left the folder are dropped.
class Tracker {
 public:
  Tracker(platform::JobStateStore store, std::function<void(const std::string&)> say)
      : store_(std::move(store)), say_(std::move(say)) {}
  void afterTick(const std::vector<std::string>& found, const std::vector<std::string>& refused);
  const platform::JobStateStore& store() const { return store_; }

 private:
  platform::JobStateStore store_;
  std::function<void(const std::string&)> say_;
  std::map<std::string, std::string> said_;  // the last line said per job still in the folder
};

// Why a name stays in the folder untouched.
extern const char* const kUnusableName;

}  // namespace queue
