// Whole launcher runs: which lines run, what stays in the folder, and the exit status.
#include "launch/runner.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <random>
#include <sstream>
#include <thread>

#include "launch/printer_turn.h"
#include "launch_test_support.h"
#include "platform/launch_job.h"
#include "platform/private_folder.h"
#include "runs_fixture.h"

namespace launch {
namespace {

using launchtest::FakeClock;
using launchtest::readFile;
using launchtest::Runs;
using launchtest::writeFile;
namespace fs = std::filesystem;

TEST_F(Runs, PrintsTheJobThenDeletesItAndItsHelpers) {
  const std::string job("%!PS\n\xff\0\r\n\x1a", 9);
  writeFile(spool_ / "REPORT.PS", job);
  std::string pif = writeJobFiles("REPORTPS", serverScript("REPORT.PS", "REPORTPS"));
  EXPECT_EQ(run(pif), kDone) << log_.str();
  EXPECT_TRUE(fs::is_empty(spool_));
  // Quoted names, %% read as %, and a script under a short name.
  writeFile(spool_ / "100% my report.ps", "job");
  pif = writeJobFiles("QUARTE~1",
                      "copy \"100%% my report.ps\" lpt1\r\ndel \"100%% my report.ps\"\r\n"
                      "del QUARTE~1.bat\r\ndel QUARTE~1.pif");
  EXPECT_EQ(run(pif), kDone) << log_.str();
  EXPECT_TRUE(fs::is_empty(spool_));
  std::vector<std::string> got = printed();
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<std::string>{job, "job"}));
}

TEST_F(Runs, ABigJobArrivesUnchangedInAFolderAndInAFile) {
  std::string job(5 * 1024 * 1024 + 11, '\0');
  std::mt19937 random(11);
  for (char& c : job) c = static_cast<char>(random());
  writeFile(spool_ / "BIG.PS", job);
  EXPECT_EQ(run(writeJobFiles("BIGPS", serverScript("BIG.PS", "BIGPS"))), kDone) << log_.str();
  EXPECT_TRUE(printed() == std::vector<std::string>{job});

  // A regular file takes the job through write().
  writeFile(spool_ / "BIG.PS", job);
  writeFile(dir_ / "printer.out", "");
  options_.lpt1 = (dir_ / "printer.out").string();
  EXPECT_EQ(run(writeJobFiles("BIGPS", serverScript("BIG.PS", "BIGPS"))), kDone) << log_.str();
  EXPECT_TRUE(readFile(dir_ / "printer.out") == job);
  EXPECT_TRUE(fs::is_empty(spool_));
}

TEST_F(Runs, AFailedCopyKeepsTheJob) {
  writeFile(spool_ / "A.PS", "job");
  std::string pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
  options_.lpt1 = (dir_ / "no-such-printer").string();
  EXPECT_EQ(run(pif), kLineFailed);
  EXPECT_TRUE(has("A.PS") && has("APS.bat") && has("APS.pif"));
  options_.lpt1 = "|exit 1";
  EXPECT_EQ(run(pif), kLineFailed);
  EXPECT_EQ(readFile(spool_ / "A.PS"), "job");
}

TEST_F(Runs, RefusedScriptsRunNoLine) {
  writeFile(spool_ / "A.PS", "job");
  std::string pif = writeJobFiles("APS", "del A.PS\r\ndel APS.bat\r\nstart evil.exe");
  EXPECT_EQ(run(pif), kRefused);
  EXPECT_TRUE(has("A.PS") && has("APS.bat"));
  EXPECT_EQ(run("missing.pif"), kRefused);
#ifndef _WIN32  // owners and modes are POSIX's
  // Files someone else could have written: another user's, or writable by others.
  pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
  fs::permissions(spool_ / "APS.bat", fs::perms::others_write, fs::perm_options::add);
  EXPECT_EQ(run(pif), kRefused);
  if (geteuid() == 0) {
    fs::remove(spool_ / "APS.bat");
    pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
    ASSERT_EQ(chown((spool_ / "APS.pif").c_str(), 4712, 4712), 0);
    EXPECT_EQ(run(pif), kRefused);
  }
  EXPECT_EQ(readFile(spool_ / "A.PS"), "job");
#endif
  writeFile(spool_ / "short.pif", "MZ");
  EXPECT_EQ(run("short.pif"), kRefused);
}

TEST_F(Runs, RefusesAScriptOutsideTheWorkingFolder) {
  writeFile(spool_ / "A.PS", "job");
  writeFile(dir_ / "APS.bat", "del A.PS");
  // A script of that name in the working folder too, one we would run: only the launcher's
  // folder keeps it from running.
  writeFile(spool_ / "APS.bat", "del A.PS");
  writeFile(spool_ / "APS.pif", launchtest::launcherBytes(dos(dir_ / "APS.bat")));
  EXPECT_EQ(run("APS.pif"), kRefused);
  writeFile(spool_ / "APS.pif", launchtest::launcherBytes(dos(spool_) + "\\..\\APS.bat"));
  EXPECT_EQ(run("APS.pif"), kRefused);
  // A link in the folder that leads out of it.
  fs::remove(spool_ / "APS.bat");
  if (!launchtest::makeSymlink(dir_ / "APS.bat", spool_ / "APS.bat")) GTEST_SKIP() << "no links";
  writeFile(spool_ / "APS.pif", launchtest::launcherBytes(dos(spool_ / "APS.bat")));
  EXPECT_EQ(run("APS.pif"), kRefused);
  EXPECT_TRUE(has("A.PS"));
}

TEST_F(Runs, ASecondLauncherForAJobBeingPrintedOrAlreadyPrintedLeaves) {
  std::string pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
  EXPECT_EQ(run(pif), kBusy);  // printed and deleted already
  writeFile(spool_ / "A.PS", "job");
  platform::JobFile first;
  ASSERT_EQ(first.open("A.PS"), platform::JobFile::Open::Ok);
  std::string folder, error;
  ASSERT_TRUE(platform::privateFolder(spool_.string(), folder, error)) << error;
  ASSERT_EQ(first.tryLock(folder), platform::JobFile::Lock::Locked);
  EXPECT_EQ(run(pif), kBusy);
  EXPECT_TRUE(printed().empty());
  EXPECT_TRUE(has("A.PS") && has("APS.bat") && has("APS.pif"));
}

#ifdef _WIN32
// Any reader may lock bytes of a job it opened; that must not pass for a launcher printing it.
TEST_F(Runs, AnotherProgramsLockOnTheJobDoesNotHoldItUp) {
  writeFile(spool_ / "A.PS", "job");
  const std::string pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
  HANDLE other = CreateFileA((spool_ / "A.PS").string().c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  OVERLAPPED farPastTheEnd = {};
  farPastTheEnd.Offset = 0xfffffffe;
  farPastTheEnd.OffsetHigh = 0x7fffffff;
  EXPECT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                         &farPastTheEnd));
  EXPECT_EQ(run(pif), kDone);
  CloseHandle(other);
  EXPECT_EQ(printed(), std::vector<std::string>{"job"});
}
#endif

class JobLocks : public launchtest::SpoolFolder {};

// Wine keeps a deleted name openable until the file's last handle closes.
#ifndef _WIN32
TEST_F(JobLocks, NoticesTheNameDeletedOrReusedBeforeTheLock) {
  writeFile(spool_ / "A.PS", "job");
  platform::JobFile job;
  ASSERT_EQ(job.open("A.PS"), platform::JobFile::Open::Ok);
  fs::remove(spool_ / "A.PS");  // the first launcher finished and deleted it
  EXPECT_EQ(job.tryLock(dir_.string() + "/"), platform::JobFile::Lock::Gone);

  writeFile(spool_ / "A.PS", "old");
  ASSERT_EQ(job.open("A.PS"), platform::JobFile::Open::Ok);
  fs::remove(spool_ / "A.PS");
  writeFile(spool_ / "A.PS", "a new job under the same name");
  EXPECT_EQ(job.tryLock(dir_.string() + "/"), platform::JobFile::Lock::Replaced);
  EXPECT_EQ(job.removeName(), platform::JobFile::Removal::Replaced);
  EXPECT_TRUE(fs::exists(spool_ / "A.PS"));
}
#endif

TEST_F(JobLocks, AWriterOpeningDuringTheCheckDoesNotEndTheLauncher) {
  // Opening for writing while the check holds its lease breaks the lease, which signals us.
  writeFile(spool_ / "A.PS", "job");
  platform::JobFile job;
  ASSERT_EQ(job.open("A.PS"), platform::JobFile::Open::Ok);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    while (!done) std::ofstream(spool_ / "A.PS", std::ios::app);
  });
  for (int i = 0; i < 20000; ++i) job.writers();
  done = true;
  writer.join();
  EXPECT_EQ(job.writers(), platform::JobFile::Writers::None);
}

TEST_F(JobLocks, OnlyRegularFilesAreJobs) {
  platform::JobFile job;
  fs::create_directory(spool_ / "D.PS");
  EXPECT_EQ(job.open("D.PS"), platform::JobFile::Open::NotRegular);
  EXPECT_EQ(job.open("none.ps"), platform::JobFile::Open::Missing);
  writeFile(dir_ / "secret", "not a job");
  if (!launchtest::makeSymlink(dir_ / "secret", spool_ / "L.PS")) GTEST_SKIP() << "no links";
  EXPECT_EQ(job.open("L.PS"), platform::JobFile::Open::NotRegular);
}

TEST_F(Runs, AGrowingJobIsPrintedWhole) {
  writeFile(spool_ / "A.PS", "part1");
  clock_.onSleep = [&] {
    if (clock_.sleeps < 3) std::ofstream(spool_ / "A.PS", std::ios::app) << "+more";
  };
  options_.settleMs = 50;
  options_.giveUpMs = 500;
  EXPECT_EQ(run(writeJobFiles("APS", serverScript("A.PS", "APS"))), kDone) << log_.str();
  EXPECT_EQ(printed(), std::vector<std::string>{"part1+more+more"});
}

TEST_F(Runs, AJobStillGrowingAfterTheLimitStays) {
  writeFile(spool_ / "A.PS", "x");
  clock_.onSleep = [&] { std::ofstream(spool_ / "A.PS", std::ios::app) << "x"; };
  options_.settleMs = 50;
  options_.giveUpMs = 500;
  EXPECT_EQ(run(writeJobFiles("APS", serverScript("A.PS", "APS"))), kLineFailed);
  EXPECT_TRUE(printed().empty());
  EXPECT_TRUE(has("A.PS"));
}

TEST_F(Runs, AJobStillChangingIsLeftAfterOneLook) {
  // The server looks at it again next tick; waiting here would hold a launcher's place.
  writeFile(spool_ / "A.PS", "x");
  clock_.onSleep = [&] { std::ofstream(spool_ / "A.PS", std::ios::app) << "x"; };
  options_.settleMs = 50;
  EXPECT_EQ(run(writeJobFiles("APS", serverScript("A.PS", "APS"))), kLineFailed);
  EXPECT_EQ(clock_.sleeps, 1);
  EXPECT_TRUE(printed().empty());
  EXPECT_TRUE(has("A.PS"));
}

TEST_F(Runs, AJobHeldOpenByItsWriterWaitsForIt) {
  // The writer opened its output and pauses longer than the settle time between pieces.
  auto writer = std::make_unique<std::ofstream>(spool_ / "A.PS", std::ios::binary);
  *writer << "part1" << std::flush;
  clock_.onSleep = [&] {
    if (clock_.sleeps == 3) *writer << "+part2" << std::flush;
    if (clock_.sleeps == 6) writer.reset();
  };
  options_.settleMs = 50;
  options_.giveUpMs = 500;
  EXPECT_EQ(run(writeJobFiles("APS", serverScript("A.PS", "APS"))), kDone) << log_.str();
  EXPECT_EQ(printed(), std::vector<std::string>{"part1+part2"});
  EXPECT_EQ(clock_.sleeps, 6);  // complete only once the writer let go
}

#ifndef _WIN32  // the printer is a POSIX shell command
TEST_F(Runs, AJobStillLongEnoughAlreadyPrintsWithoutAWait) {
  // The last change is as old as the clock is put ahead; only a job nobody holds open for
  // writing and last changed a settle time ago or more skips the wait.
  struct Case {
    const char* name;
    std::int64_t aheadMs;
    bool heldOpen;
    int sleeps;
  };
  const Case cases[] = {
      {"closed long ago", 5000, false, 0},
      {"changed just now", 0, false, 1},
      {"changed a moment ago", 1000, false, 1},
      {"old but held open", 5000, true, 2},
  };
  options_.settleMs = 2000;
  options_.giveUpMs = 10000;
  for (const Case& c : cases) {
    clock_.sleeps = 0;
    clock_.now = 0;
    clock_.aheadNs = c.aheadMs * 1000000;
    writeFile(spool_ / "A.PS", "job");
    auto writer = std::make_unique<std::ofstream>();
    if (c.heldOpen) writer->open(spool_ / "A.PS", std::ios::app);
    clock_.onSleep = [&] {
      if (clock_.sleeps == 2) writer.reset();
    };
    EXPECT_EQ(run(writeJobFiles("APS", serverScript("A.PS", "APS"))), kDone) << c.name;
    EXPECT_EQ(clock_.sleeps, c.sleeps) << c.name;
    EXPECT_FALSE(has("A.PS")) << c.name;
  }
  EXPECT_EQ(printed().size(), 4u);
}

TEST_F(Runs, AJobChangedDuringTheCopyStays) {
  writeFile(spool_ / "A.PS", "job");
  // The command itself touches the job after taking it, as a late writer would.
  options_.lpt1 = "|cat > '" + (out_ / "got").string() + "' && printf more >> '" +
                  (spool_ / "A.PS").string() + "'";
  EXPECT_EQ(run(writeJobFiles("APS", serverScript("A.PS", "APS"))), kLineFailed);
  EXPECT_EQ(readFile(spool_ / "A.PS"), "jobmore");
  EXPECT_TRUE(has("APS.bat"));
}
#endif

TEST_F(Runs, DelOfAFileAlreadyGoneIsNotAFailure) {
  writeFile(spool_ / "A.PS", "job");
  std::string pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
  std::string script = readFile(spool_ / "APS.bat");
  fs::remove(spool_ / "APS.bat");  // swept by the server while the job printed
  writeFile(spool_ / "APS.bat", script);
  EXPECT_EQ(run(pif), kDone);
  // A folder under a deleted name is a real failure.
  fs::create_directory(spool_ / "B.bat");
  pif = writeJobFiles("X", "del B.bat\r\ndel X.pif");
  EXPECT_EQ(run(pif), kLineFailed);
  EXPECT_TRUE(has("X.pif"));
}

// A failed printer rests a few seconds, but the job it failed on rests longer, so that one job
// the printer refuses cannot keep the others from it for ever.
TEST_F(JobLocks, AFailedPrinterRestsButNotForTheSameJobFirst) {
  const std::string folder = dir_.string() + "/";
  {
    PrinterTurn first;
    std::string why;
    ASSERT_EQ(first.take(folder, "lp", "bad", why), PrinterTurn::Take::Ours) << why;
    first.failed("lp: refused");
  }
  fs::path note;
  for (const auto& entry : fs::directory_iterator(dir_))
    if (entry.path().extension() == ".failed") note = entry.path();
  ASSERT_FALSE(note.empty());
  const auto written = fs::last_write_time(note);
  const struct {
    int agoMs;
    const char* job;
    PrinterTurn::Take expected;
  } cases[] = {
      {0, "good", PrinterTurn::Take::Resting},
      {0, "bad", PrinterTurn::Take::Resting},
      {PrinterTurn::kRestMs + 1000, "good", PrinterTurn::Take::Ours},
      {PrinterTurn::kRestMs + 1000, "bad", PrinterTurn::Take::Resting},
      {2 * PrinterTurn::kRestMs + 1000, "bad", PrinterTurn::Take::Ours},
  };
  for (const auto& c : cases) {
    fs::last_write_time(note, written - std::chrono::milliseconds(c.agoMs));
    PrinterTurn turn;
    std::string why;
    EXPECT_EQ(turn.take(folder, "lp", c.job, why), c.expected) << c.agoMs << " " << c.job;
    if (c.expected == PrinterTurn::Take::Resting) {
      EXPECT_NE(why.find("lp: refused"), std::string::npos) << why;
    }
  }
}

}  // namespace
}  // namespace launch
