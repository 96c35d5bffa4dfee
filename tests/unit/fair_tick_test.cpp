// What a tick spends on each job, and whose jobs it starts first; the spool folder it holds.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "form_fixture.h"
#include "platform/spool_handle.h"
#include "queue/job_standing.h"
#include "spool/fair_order.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> startedJobs(const std::vector<memory::ShellCall>& calls) {
  std::vector<std::string> files;
  for (const memory::ShellCall& call : calls) files.push_back(call.file);
  return files;
}

size_t stateFiles(const TempFolder& runtime) {
  size_t count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(runtime.host()))
    if (entry.path().filename().string().rfind("state-", 0) == 0) ++count;
  return count;
}

}  // namespace

TEST(FairOrder, TheServerUsersJobsFirstThenOwnersTakeTurns) {
  const std::vector<ReadyJob> ready = {
      {"a1", 7, false}, {"a2", 7, false}, {"a3", 7, false}, {"b1", 8, false},
      {"m1", 5, true},  {"a4", 7, false}, {"m2", 5, true},  {"b2", 8, false},
  };
  EXPECT_EQ(fairOrder(ready),
            (std::vector<std::string>{"m1", "m2", "a1", "b1", "a2", "b2", "a3", "a4"}));
  EXPECT_TRUE(fairOrder({}).empty());
}

class FairTickTest : public FormTest {
 protected:
  void TearDown() override {
    unsetenv("LPTSPOOL_MAX_JOB");
    FormTest::TearDown();
  }
};

TEST_F(FairTickTest, AJobStillChangingHoldsNoLauncherUntilItStaysAsItWasForATick) {
  setSettleMs("60000");  // nothing written by the test is old enough to go at once
  spool.write("A.PS", "part 1");
  tick();
  EXPECT_TRUE(started().empty());
  EXPECT_FALSE(spool.exists("APS.pif"));
  spool.write("A.PS", "part 1, part 2");
  tick();
  EXPECT_TRUE(started().empty());
  tick();  // unchanged since the last tick
  EXPECT_EQ(startedJobs(started()), std::vector<std::string>{"APS.pif"});
  EXPECT_EQ(status(), "Visa alla dokument\r\n1 dokument i kö");
}

TEST_F(FairTickTest, RefusedJobsCostNoFilesAndOneLinePerReason) {
  setenv("LPTSPOOL_MAX_JOB", "1K", 1);
  spool.write("BIG1.PS", std::string(2000, 'x'));
  spool.write("BIG2.PS", std::string(3000, 'x'));
  spool.write("LINKED.PS", "x");
  fs::create_hard_link(spool.path("LINKED.PS"), spool.path("mine.txt"));
  spool.write("MINE.PS", "mine");
  for (int i = 0; i < 3; ++i) tick();
  // Only the printable job got files and launchers; the others were looked at and left.
  for (const std::string& call : startedJobs(started())) EXPECT_EQ(call, "MINEPS.pif");
  EXPECT_EQ(started().size(), 3u);
  EXPECT_FALSE(spool.exists("BIG1PS.bat") || spool.exists("BIG1PS.pif") ||
               spool.exists("LINKEDPS.bat"));
  EXPECT_EQ(stateFiles(runtime), 0u);
  EXPECT_EQ(said,
            (std::vector<std::string>{"1 job left in the folder unprinted: " +
                                          queue::standingReason(queue::Standing::Links, 1024),
                                      "2 jobs left in the folder unprinted: " +
                                          queue::standingReason(queue::Standing::TooBig, 1024)}));
  EXPECT_EQ(status(), "Visa alla dokument\r\n4 dokument i kö");
  // One more of them is said anew, once.
  said.clear();
  spool.write("BIG3.PS", std::string(4000, 'x'));
  tick();
  tick();
  EXPECT_EQ(said, std::vector<std::string>{"3 jobs left in the folder unprinted: " +
                                           queue::standingReason(queue::Standing::TooBig, 1024)});
}

TEST_F(FairTickTest, ASparseJobIsRefused) {
  spool.write("HOLES.PS", "");
  fs::resize_file(spool.path("HOLES.PS"), 100 << 20);
  tick();
  EXPECT_TRUE(started().empty());
  EXPECT_EQ(said, std::vector<std::string>{"1 job left in the folder unprinted: " +
                                           queue::standingReason(queue::Standing::Sparse, 0)});
}

class SpoolFolderTest : public FormTest {
 protected:
  SpoolFolderTest() {
    fs::create_directory(spool.path("q"));
    form.PrintingDir = spool.dos() + "q\\";
  }
  ~SpoolFolderTest() override { platform::releaseSpoolFolder(); }
  void drop(const std::string& folder, const std::string& name) {
    std::ofstream(spool.path(folder) + "/" + name) << "job";
  }
};

TEST_F(SpoolFolderTest, AFolderSwappedUnderneathIsNotFollowedUntilItIsBack) {
  drop("q", "A.PS");
  tick();
  ASSERT_EQ(started().size(), 1u);
  EXPECT_TRUE(form.folderProblem.empty());
  // Moved aside, and a link to another folder put in its place.
  fs::rename(spool.path("q"), spool.path("q.old"));
  fs::create_directory(spool.path("docs"));
  drop("docs", "PRIVATE.PS");
  fs::create_directory_symlink(spool.path("docs"), spool.path("q"));
  tick();
  tick();
  EXPECT_EQ(started().size(), 1u);
  EXPECT_FALSE(fs::exists(spool.path("docs/PRIVATEPS.pif")));
  EXPECT_NE(form.folderProblem, "");
  ASSERT_EQ(said.size(), 1u);  // said once
  EXPECT_NE(said[0].find("moved or replaced"), std::string::npos) << said[0];
  // Back where it was: printing goes on.
  fs::remove(spool.path("q"));
  fs::rename(spool.path("q.old"), spool.path("q"));
  tick();
  EXPECT_EQ(started().size(), 2u);
  EXPECT_TRUE(form.folderProblem.empty());
}

TEST_F(SpoolFolderTest, AFolderDeletedAndMadeAnewIsUsed) {
  tick();
  fs::remove_all(spool.path("q"));
  tick();
  EXPECT_TRUE(form.folderProblem.empty());
  fs::create_directory(spool.path("q"));
  drop("q", "B.PS");
  tick();
  EXPECT_EQ(startedJobs(started()), std::vector<std::string>{"BPS.pif"});
}

TEST_F(SpoolFolderTest, AtStartALinkOrAFolderOfAnotherUserIsRefusedAndAMissingOneMade) {
  std::string reason;
  fs::create_directory_symlink(spool.path("q"), spool.path("link"));
  EXPECT_EQ(platform::openSpoolFolder(spool.dos() + "link\\", reason),
            platform::FolderState::Refused);
  EXPECT_NE(reason.find("is a symbolic link"), std::string::npos) << reason;
  EXPECT_EQ(platform::openSpoolFolder(spool.dos() + "new\\deeper\\", reason),
            platform::FolderState::Ready);
  EXPECT_TRUE(fs::is_directory(spool.path("new/deeper")));
  if (geteuid() != 0) GTEST_SKIP() << "another user's folder needs root to make";
  // Not even root's server takes a folder another user owns: he could swap what it holds.
  fs::create_directory(spool.path("his"));
  ASSERT_EQ(chown(spool.path("his").c_str(), 4712, 4712), 0);
  reason.clear();
  EXPECT_EQ(platform::openSpoolFolder(spool.dos() + "his\\", reason),
            platform::FolderState::Refused);
  EXPECT_NE(reason.find("belongs to user 4712"), std::string::npos) << reason;
}
