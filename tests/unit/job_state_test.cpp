// Job states: what survives the store, how tries are counted, and what the server says when.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "queue/job_list.h"
#include "runtime_folder.h"
#include "temp_folder.h"

namespace queue {
namespace {

TEST(JobState, AnyNameAndReasonSurviveTheRecordButATornOneIsNoRecord) {
  JobRecord r{
      std::string("a\\n\nb\r\x01.ps", 11), Kind::Failed, "lpt1: x\nlast line\\", 3, 7, 9, 42};
  JobRecord back;
  ASSERT_TRUE(decode(encode(r), back));
  EXPECT_EQ(back.name, r.name);
  EXPECT_EQ(back.reason, r.reason);
  EXPECT_EQ(back.kind, r.kind);
  EXPECT_EQ(back.tries, 3);
  const std::string bytes = encode(r);
  EXPECT_FALSE(decode(bytes.substr(0, bytes.size() - 1), back));
  EXPECT_FALSE(decode("lptspool-state 1\nname=x\nkind=bogus\n", back));
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
  EXPECT_NE(swedishState(*r, 109).find("Fel: lpt1: gone (2 försök sedan"), std::string::npos);
  // A record of another name (a hash collision) is not carried over.
  EXPECT_EQ(advance(r, "B.PS", Kind::Failed, "x", 12, 110).tries, 1);
}

class TrackerTest : public RuntimeFolderTest {
 protected:
  void SetUp() override {
    RuntimeFolderTest::SetUp();
    std::string error;
    ASSERT_TRUE(store.open(spool.host(), error)) << error;
    tracker = std::make_unique<Tracker>(store, [this](const std::string& l) { said.push_back(l); });
  }
  // One launcher's report, as another process would write it.
  void launcher(const std::string& name, Kind kind, const std::string& reason, int pid) {
    store.write(name, encode(advance(readRecord(store, name), name, kind, reason, pid, 1)));
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
  const std::vector<Step> steps = {
      {[&] { launcher("A.PS", Kind::Failed, "lpt1: /p: No such file or directory", 9); },
       {"A.PS", "B\n.ps"},
       {"B\n.ps"},
       {"A.PS waits: lpt1: /p: No such file or directory",
        "B\\x0a.ps cannot be printed: " + std::string(kUnusableName)}},
      // Tried again and failing the same way: nothing new to say.
      {[&] {
         launcher("A.PS", Kind::Printing, "", other);
         launcher("A.PS", Kind::Failed, "lpt1: /p: No such file or directory", other);
       },
       {"A.PS", "B\n.ps"},
       {"B\n.ps"},
       {}},
      {[&] { launcher("A.PS", Kind::Printing, "", other); }, {"A.PS", "B\n.ps"}, {"B\n.ps"}, {}},
      {[&] { launcher("A.PS", Kind::Printed, "123 bytes", other); },
       {"B\n.ps"},
       {"B\n.ps"},
       {"A.PS printed (123 bytes)"}},
      // A job removed by hand leaves no record behind, and says nothing.
      {[&] { launcher("C.PS", Kind::Failed, "x", 9); }, {}, {}, {}},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    said.clear();
    steps[i].before();
    tracker->afterTick(steps[i].found, steps[i].refused);
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

}  // namespace
}  // namespace queue
