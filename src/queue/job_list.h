// The jobs of a spool folder with their latest states: what the document list and --queue show,
// and what the server reports on stderr as it changes.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/job_states.h"
#include "queue/job_standing.h"
#include "queue/job_state.h"

namespace queue {

// A record is kept under the job's name and identity together: a new job under an old name never
// meets the old job's state, and a printed job's record outlives a new job taking its name.
std::optional<JobRecord> readRecord(const platform::JobStateStore& store, const std::string& name,
                                    const platform::JobIdentity& job);
std::vector<JobRecord> readRecords(const platform::JobStateStore& store);
void writeRecord(const platform::JobStateStore& store, const JobRecord& record);
void removeRecord(const platform::JobStateStore& store, const JobRecord& record);

// Records a new state for the job, counting its tries.
void record(const platform::JobStateStore& store, const std::string& name,
            const platform::JobIdentity& job, Kind kind, const std::string& reason);

struct JobView {
  platform::SpoolFile file;
  JobRecord state;  // kind Queued when nothing is known
};

// Every *.ps job in the folder (DOS, ending in a backslash), oldest first, with what is known of
// that very file. A "printing" whose launcher has died is queued again.
std::vector<JobView> currentJobs(const platform::JobStateStore& store,
                                 const std::string& dosFolder);

// --queue: one line per job: state, name, size, reason, separated by tabs.
std::string queueText(const std::vector<JobView>& jobs, std::int64_t now);

// What a tick did with the jobs it found.
struct TickOutcome {
  std::vector<std::string> found;     // every job in the folder
  RefusedSummary refused;             // left alone until they change
  std::vector<std::string> changing;  // still changing: looked at again next tick
  std::vector<std::string> waiting;   // ready, but no launcher was free
  std::vector<std::string> started;   // given a launcher
  std::uint64_t maxBytes = 0;         // the largest job, as the tick judged
};

// The server's side: after every tick, a line goes to `say` for every job printed, for every job
// whose state or reason changed, and for every reason whose count of refused jobs changed; jobs
// that wait for a launcher are recorded so, and the records of jobs that left the folder are
// dropped. A job is in the folder while its name names
// the file the record is about. At start-up the records of jobs no longer there are dropped and
// what an earlier run said of the others is not said again.
class Tracker {
 public:
  // spoolHostFolder: the folder's host path, ending in its separator.
  Tracker(platform::JobStateStore store, std::string spoolHostFolder,
          std::function<void(const std::string&)> say);
  void afterTick(const TickOutcome& outcome);
  // The server stops: the jobs printed since the last tick are said now, not lost.
  void finish();
  const platform::JobStateStore& store() const { return store_; }
  // After a tick: the records of the jobs in the folder, and whether a job was printed.
  const std::vector<JobRecord>& records() const { return records_; }
  bool printed() const { return printed_; }

 private:
  bool inFolder(const JobRecord& record, const std::set<std::string>& found) const;
  void sayPrinted(const JobRecord& record, const char* aside);
  void forget(const JobRecord& record);

  platform::JobStateStore store_;
  std::string folder_;
  std::function<void(const std::string&)> say_;
  std::map<std::string, std::string> said_;       // the last line said per job still in the folder
  std::map<Standing, std::int64_t> saidRefused_;  // the count last said per reason
  std::set<std::string> toldWaiting_;             // jobs recorded as waiting for a launcher
  std::vector<JobRecord> records_;
  bool printed_ = false;
};

// The jobs a tick refuses until they change, taken out of the list and counted by reason, as
// the tick counts them.
RefusedSummary takeRefused(std::vector<JobView>& jobs, std::uint64_t maxBytes);

// Why a job that is ready waits in the folder.
extern const char* const kWaitsForLauncher;

// Why a name stays in the folder untouched.
extern const char* const kUnusableName;

}  // namespace queue
