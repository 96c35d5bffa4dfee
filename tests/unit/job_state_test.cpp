// Job states: what survives the store, how tries are counted, and what the server says when.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "queue/job_list.h"
#include "runtime_folder.h"
#include "temp_folder.h"

namespace queue {
namespace {

// A tick that found these jobs and did nothing else with them.
TickOutcome found(std::vector<std::string> names) {
  TickOutcome outcome;
  outcome.found = std::move(names);
  return outcome;
}

TEST(JobState, AnyNameAndReasonSurviveTheRecordButATornOneIsNoRecord) {
  JobRecord r{std::string("a\\n\nb\r\x01.ps", 11),
              {2049, 77, 5, -1},
              Kind::Failed,
              "lpt1: x\nlast line\\",
              3,
              7,
              9,
              42};
  JobRecord back;
  ASSERT_TRUE(decode(encode(r), back));
  EXPECT_EQ(back.name, r.name);
  EXPECT_EQ(back.job, r.job);
  EXPECT_EQ(back.reason, r.reason);
  EXPECT_EQ(back.kind, r.kind);
  EXPECT_EQ(back.tries, 3);
  const std::string bytes = encode(r);
  EXPECT_FALSE(decode(bytes.substr(0, bytes.size() - 1), back));
  EXPECT_FALSE(decode("lptspool-state 2\nname=x\nkind=bogus\n", back));
  // A record of the first format names no job file.
  EXPECT_FALSE(decode(
      "lptspool-state 1\nname=x\nkind=failed\nreason=\ntries=1\nsince=1\nat=1\npid=1\n", back));
  // Every state reads back as itself: the words are in step with the states.
  for (Kind kind : {Kind::Queued, Kind::Waiting, Kind::StillWritten, Kind::Printing, Kind::Printed,
                    Kind::Failed, Kind::Unprintable}) {
    r.kind = kind;
    ASSERT_TRUE(decode(encode(r), back)) << wordsOf(kind).record;
    EXPECT_EQ(back.kind, kind) << wordsOf(kind).record;
  }
}

TEST(JobState, OneTryPerLauncherRunThatReachesThePrinter) {
  std::optional<JobRecord> r;
  r = advance(r, "A.PS", Kind::StillWritten, "", 10, 100);
  EXPECT_EQ(r->tries, 0);
  r = advance(r, "A.PS", Kind::Printing, "", 10, 101);
  r = advance(r, "A.PS", Kind::Failed, "lpt1: gone", 10, 102);  // the end of the same try
  EXPECT_EQ(r->tries, 1);
  r = advance(r, "A.PS", Kind::Failed, "lpt1: gone", 11, 109);  // the next tick's launcher
  EXPECT_EQ(r->tries, 2);
  EXPECT_EQ(r->since, 101);
  EXPECT_EQ(r->at, 109);
  EXPECT_NE(reasonText(*r, 109).find("lpt1: gone (2 tries since"), std::string::npos);
  // A record of another name (a hash collision) is not carried over.
  EXPECT_EQ(advance(r, "B.PS", Kind::Failed, "x", 12, 110).tries, 1);
}

class TrackerTest : public RuntimeFolderTest {
 protected:
  void SetUp() override {
    RuntimeFolderTest::SetUp();
    std::string error;
    ASSERT_TRUE(store.open(spool.host(), error)) << error;
    start();
  }
  // The server starting (again) on the folder.
  void start() {
    tracker = std::make_unique<Tracker>(store, spool.host() + "/",
                                        [this](const std::string& l) { said.push_back(l); });
  }
  // One launcher's report about the file the name names now, as another process would write it.
  void launcher(const std::string& name, Kind kind, const std::string& reason, int pid) {
    platform::JobIdentity job;
    platform::identityOf(spool.path(name), job);
    JobRecord r = advance(readRecord(store, name, job), name, kind, reason, pid, 1);
    r.job = job;
    writeRecord(store, r);
  }
  std::string stateOf(const std::string& name) {
    for (const JobView& view : currentJobs(store, spool.dos()))
      if (view.file.name == name) return wordsOf(view.state.kind).queue + (" " + view.state.reason);
    return "(none)";
  }
  TempFolder spool;
  platform::JobStateStore store;
  std::unique_ptr<Tracker> tracker;
  std::vector<std::string> said;
};

TEST_F(TrackerTest, SaysPrintedOnceAndAChangeOfReasonButNotEveryTick) {
  struct Step {
    std::function<void()> before;
    std::vector<std::string> found, refused;
    std::vector<std::string> lines;
  };
  const int other = 1;  // pid 1 is alive, so a "printing" of it is not stale
  spool.write("A.PS", "a");
  spool.write("B\n.ps", "b");
  const std::vector<Step> steps = {
      {[&] { launcher("A.PS", Kind::Failed, "lpt1: /p: No such file or directory", 9); },
       {"A.PS", "B\n.ps"},
       {"B\n.ps"},
       {"1 job left in the folder unprinted: " + standingReason(Standing::UnusableName, 0),
        "A.PS waits: lpt1: /p: No such file or directory"}},
      // Tried again and failing the same way: nothing new to say.
      {[&] {
         launcher("A.PS", Kind::Printing, "", other);
         launcher("A.PS", Kind::Failed, "lpt1: /p: No such file or directory", other);
       },
       {"A.PS", "B\n.ps"},
       {"B\n.ps"},
       {}},
      {[&] { launcher("A.PS", Kind::Printing, "", other); }, {"A.PS", "B\n.ps"}, {"B\n.ps"}, {}},
      {[&] {
         launcher("A.PS", Kind::Printed, "123 bytes", other);
         std::remove(spool.path("A.PS").c_str());
       },
       {"B\n.ps"},
       {"B\n.ps"},
       {"A.PS printed (123 bytes)"}},
      // A job removed by hand leaves no record behind, and says nothing.
      {[&] {
         spool.write("C.PS", "c");
         launcher("C.PS", Kind::Failed, "x", 9);
         std::remove(spool.path("C.PS").c_str());
         std::remove(spool.path("B\n.ps").c_str());
       },
       {},
       {},
       {}},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    said.clear();
    steps[i].before();
    TickOutcome outcome;
    outcome.found = steps[i].found;
    for (std::size_t n = 0; n < steps[i].refused.size(); ++n)
      outcome.refused.add(Standing::UnusableName, 1);
    tracker->afterTick(outcome);
    EXPECT_EQ(said, steps[i].lines) << "step " << i;
  }
  EXPECT_TRUE(readRecords(store).empty());
}

TEST_F(TrackerTest, TheQueueShowsEveryJobWithWhatIsKnownOfIt) {
  spool.write("FAIL.PS", "12345");
  spool.write("BUSY.PS", "1");
  spool.write("DEAD.PS", "1");
  spool.write("PLAIN.PS", "");
  spool.write("notes.txt", "not a job");
  launcher("FAIL.PS", Kind::Failed, "lpt1: command exited with status 1", 9);
  launcher("BUSY.PS", Kind::Printing, "", getpid());
  // A launcher that died while printing leaves the job waiting again.
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  launcher("DEAD.PS", Kind::Printing, "", dead);
  std::string text = queueText(currentJobs(store, spool.dos()), 1);
  for (const char* line :
       {"failed\tFAIL.PS\t5\tlpt1: command exited with status 1\n", "printing\tBUSY.PS\t1\t\n",
        "waits\tDEAD.PS\t1\t\n", "waits\tPLAIN.PS\t0\t\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
  EXPECT_EQ(text.find("notes"), std::string::npos);
}

TEST_F(TrackerTest, AStateBelongsToItsFileNotItsName) {
  // The first REPORT.PS fails; it is deleted and a new one, of another size, takes the name.
  spool.write("REPORT.PS", "12345");
  launcher("REPORT.PS", Kind::Failed, "lpt1: broken", 9);
  tracker->afterTick(found({"REPORT.PS"}));
  std::remove(spool.path("REPORT.PS").c_str());
  spool.write("REPORT.PS", std::string(50, 'x'));
  EXPECT_EQ(stateOf("REPORT.PS"), "waits ");
  said.clear();
  tracker->afterTick(found({"REPORT.PS"}));
  EXPECT_TRUE(said.empty());
  EXPECT_TRUE(readRecords(store).empty());
  // Its first try is its first, not the old job's third.
  launcher("REPORT.PS", Kind::Failed, "lpt1: broken", 9);
  EXPECT_EQ(readRecords(store).at(0).tries, 1);
}

TEST_F(TrackerTest, APrintedLineOutlivesANewJobOfTheSameNameAndTheServerStopping) {
  spool.write("REPORT.PS", "12345");
  launcher("REPORT.PS", Kind::Printed, "5 bytes", 9);
  std::remove(spool.path("REPORT.PS").c_str());
  // A new job under the name, failing, before the server's next tick.
  spool.write("REPORT.PS", std::string(50, 'x'));
  launcher("REPORT.PS", Kind::Failed, "lpt1: broken", 9);
  tracker->afterTick(found({"REPORT.PS"}));
  EXPECT_EQ(said, (std::vector<std::string>{"REPORT.PS printed (5 bytes)",
                                            "REPORT.PS waits: lpt1: broken"}));
  // Printed right before the server stops: said as it goes.
  said.clear();
  launcher("REPORT.PS", Kind::Printed, "50 bytes", 9);
  std::remove(spool.path("REPORT.PS").c_str());
  tracker->finish();
  EXPECT_EQ(said, std::vector<std::string>{"REPORT.PS printed (50 bytes)"});
  EXPECT_TRUE(readRecords(store).empty());
}

TEST_F(TrackerTest, ARestartRepeatsNothingAndForgetsJobsThatLeft) {
  spool.write("STAYS.PS", "1");
  spool.write("GOES.PS", "1");
  launcher("STAYS.PS", Kind::Failed, "lpt1: broken", 9);
  launcher("GOES.PS", Kind::Failed, "lpt1: broken", 9);
  tracker->afterTick(found({"STAYS.PS", "GOES.PS"}));
  ASSERT_EQ(said.size(), 2u);
  // The server ends; one job leaves, one is printed by a launcher still running.
  tracker.reset();
  std::remove(spool.path("GOES.PS").c_str());
  spool.write("LATE.PS", "1");
  launcher("LATE.PS", Kind::Printed, "1 bytes", 9);
  std::remove(spool.path("LATE.PS").c_str());
  said.clear();
  start();
  EXPECT_EQ(said, std::vector<std::string>{"LATE.PS printed (1 bytes), before this start"});
  EXPECT_EQ(readRecords(store).size(), 1u);  // only STAYS.PS's
  said.clear();
  tracker->afterTick(found({"STAYS.PS"}));
  EXPECT_TRUE(said.empty());
  EXPECT_EQ(stateOf("STAYS.PS"), "failed lpt1: broken");
  // A new reason is news again.
  launcher("STAYS.PS", Kind::Failed, "lpt1: paper jam", 9);
  tracker->afterTick(found({"STAYS.PS"}));
  EXPECT_EQ(said, std::vector<std::string>{"STAYS.PS waits: lpt1: paper jam"});
}

}  // namespace
}  // namespace queue
