#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "form_fixture.h"
#include "platform/files.h"
#include "queue/job_list.h"
#include "spool/job_files.h"

namespace fs = std::filesystem;

namespace {

std::string launcherFor(const std::string& templ, const std::string& scriptPath) {
  std::string launcher;
  EXPECT_TRUE(buildLauncher(templ, scriptPath, launcher));
  return launcher;
}

std::set<std::string> namesIn(const TempFolder& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.host()))
    names.insert(entry.path().filename().string());
  return names;
}

}  // namespace

using TickTest = FormTest;

TEST_F(TickTest, EmptyFolderShowsZero) {
  tick();
  EXPECT_EQ(status(), "Visa alla dokument\r\n0 dokument i kö");
  EXPECT_TRUE(form.cmdShow->enabled());
  EXPECT_TRUE(started().empty());
}

TEST_F(TickTest, OneJobGetsScriptLauncherAndStart) {
  spool.write("REPORT.PS", "%!PS\x1a\r\n");
  tick();
  EXPECT_EQ(spool.read("REPORTPS.bat"),
            "copy REPORT.PS lpt1\r\ndel REPORT.PS\r\ndel REPORTPS.bat\r\ndel REPORTPS.pif");
  EXPECT_EQ(spool.read("REPORTPS.pif"), launcherFor(templ(), spool.dos() + "REPORTPS.bat"));
  ASSERT_EQ(started().size(), 1u);
  const memory::ShellCall& call = started()[0];
  EXPECT_EQ(call.file, "REPORTPS.pif");
  EXPECT_EQ(call.directory, spool.dos());
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.show, 0);
  EXPECT_FALSE(call.hadOperation);
  EXPECT_EQ(call.owner, form.window->hWnd());
  EXPECT_EQ(spool.read("REPORT.PS"), "%!PS\x1a\r\n");  // the job is the script's to remove
  EXPECT_EQ(status(), "Visa alla dokument\r\n1 dokument i kö");
}

TEST_F(TickTest, SweepsOnlyHelperFilesOfTheSpoolFolder) {
  // A sibling whose name starts like the spool folder must never be swept.
  const std::string sibling = spool.host() + "-other";
  fs::create_directory(sibling);
  std::ofstream(sibling + "/keep.bat") << "x";
  spool.write("old.bat", "stale");
  spool.write("OLD.PIF", "stale");
  spool.write("notes.txt", "keep");
  fs::create_directory(spool.path("folder.bat"));
  tick();
  EXPECT_EQ(namesIn(spool), (std::set<std::string>{"notes.txt", "folder.bat"}));
  EXPECT_TRUE(fs::exists(sibling + "/keep.bat"));
  fs::remove_all(sibling);
}

// Links, FIFOs and names Windows forbids exist only on a POSIX host.
#ifndef _WIN32
TEST_F(TickTest, OnlyOrdinaryJobsAreDispatched) {
  TempFolder outside;
  outside.write("secret.ps", "not yours");
  fs::create_symlink(outside.path("secret.ps"), spool.path("link.ps"));
  fs::create_directory(spool.path("d.ps"));
  spool.write(".hidden.ps", "x");
  spool.write("bad\nname.ps", "x");
  spool.write("quote\".ps", "x");
  spool.write("a\\b.ps", "x");
  tick();
  tick();
  EXPECT_TRUE(started().empty());
  // Names no script can carry are counted, stay untouched, and are said once why.
  EXPECT_EQ(status(), "Visa alla dokument\r\n3 dokument i kö");
  EXPECT_EQ(outside.read("secret.ps"), "not yours");
  EXPECT_TRUE(spool.exists("bad\nname.ps"));
  ASSERT_EQ(said.size(), 3u);
  EXPECT_EQ(said[1], "bad\\x0aname.ps cannot be printed: " + std::string(queue::kUnusableName));
}

TEST_F(TickTest, KindsOfFilesAreToldApartWithoutFollowingLinks) {
  TempFolder outside;
  outside.write("target.bat", "keep");
  fs::create_symlink(outside.path("target.bat"), spool.path("link.bat"));
  fs::create_symlink(outside.path("missing"), spool.path("dangling.pif"));
  ASSERT_EQ(mkfifo(spool.path("pipe.pif").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(spool.path("pipe.ps").c_str(), 0600), 0);
  spool.write("real.ps", "job");
  tick();
  // Helper-file names of any kind but a folder are swept; the link goes, never what it points at.
  EXPECT_FALSE(spool.exists("link.bat") || spool.exists("dangling.pif") ||
               spool.exists("pipe.pif"));
  EXPECT_EQ(outside.read("target.bat"), "keep");
  // Only the ordinary file is a job.
  ASSERT_EQ(started().size(), 1u);
  EXPECT_EQ(started()[0].file, "realps.pif");
  EXPECT_TRUE(spool.exists("pipe.ps"));
}
#endif

TEST_F(TickTest, EveryJobOfATickWithOneYieldBeforeEach) {
  for (const char* name : {"a.ps", "B.PS", "c.Ps"}) spool.write(name, name);
  tick();
  EXPECT_EQ(toolkit.yields, 3);
  std::set<std::string> launchers;
  for (const auto& call : started()) launchers.insert(call.file);
  EXPECT_EQ(launchers, (std::set<std::string>{"aps.pif", "BPS.pif", "cPs.pif"}));
  EXPECT_EQ(status(), "Visa alla dokument\r\n3 dokument i kö");
}

TEST_F(TickTest, AJobThatStaysIsDispatchedAgain) {
  spool.write("REPORT.PS", "x");
  tick();
  spool.write("REPORTPS.bat", "stale and much longer than the script");
  tick();
  EXPECT_EQ(started().size(), 2u);
  EXPECT_EQ(spool.read("REPORTPS.bat"),
            "copy REPORT.PS lpt1\r\ndel REPORT.PS\r\ndel REPORTPS.bat\r\ndel REPORTPS.pif");
}

TEST_F(TickTest, JobNamesThatCollideGetTheirOwnFiles) {
  spool.write("a.b.ps", "first");
  spool.write("ab.ps", "second");
  tick();
  ASSERT_EQ(started().size(), 2u);
  std::set<std::string> scripts;
  for (const auto& call : started()) {
    const std::string jobName = call.file.substr(0, call.file.size() - 4);
    const std::string script = spool.read(jobName + ".bat");
    scripts.insert(script.substr(0, script.find('\r')));
    EXPECT_EQ(spool.read(call.file), launcherFor(templ(), spool.dos() + jobName + ".bat"));
  }
  EXPECT_EQ(scripts, (std::set<std::string>{"copy a.b.ps lpt1", "copy ab.ps lpt1"}));
}

TEST_F(TickTest, LongNamesGetAShortJobNameThatFits) {
  const std::string deep = spool.host() + "/jobs-folder";
  fs::create_directory(deep);
  form.PrintingDir = spool.dos() + "jobs-folder\\";
  std::ofstream(deep + "/Quarterly report for the board.ps") << "q";
  tick();
  ASSERT_EQ(started().size(), 1u);
  EXPECT_EQ(started()[0].file, "QUARTE~1.pif");
  std::ifstream in(deep + "/QUARTE~1.bat", std::ios::binary);
  const std::string script((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(script,
            "copy \"Quarterly report for the board.ps\" lpt1\r\n"
            "del \"Quarterly report for the board.ps\"\r\ndel QUARTE~1.bat\r\ndel QUARTE~1.pif");
}

TEST_F(TickTest, NoTemplateMeansNoLauncher) {
  fs::remove(program.path("print.txt"));
  spool.write("REPORT.PS", "x");
  spool.write("OTHER.PS", "y");
  tick();
  EXPECT_TRUE(started().empty());
  EXPECT_FALSE(spool.exists("REPORTPS.pif"));
  EXPECT_TRUE(spool.exists("REPORT.PS"));
  EXPECT_EQ(status(), "Visa alla dokument\r\n2 dokument i kö");
}

TEST_F(TickTest, AScriptThatCannotBeWrittenStartsNothing) {
  spool.write("REPORT.PS", "x");
  fs::create_directory(spool.path("REPORTPS.bat"));  // survives the sweep, blocks the script
  tick();
  EXPECT_TRUE(started().empty());
  EXPECT_TRUE(spool.exists("REPORT.PS"));
}

TEST_F(TickTest, MissingSpoolFolderCountsZero) {
  form.PrintingDir = spool.dos() + "gone\\";
  tick();
  EXPECT_EQ(status(), "Visa alla dokument\r\n0 dokument i kö");
}

TEST_F(TickTest, HelperFilesNeverFollowALink) {
  TempFolder outside;
  outside.write("target", "precious");
  std::error_code noLinks;
  fs::create_symlink(outside.path("target"), spool.path("x.txt"), noLinks);
  if (noLinks) GTEST_SKIP() << "no symbolic links on this host";
  EXPECT_FALSE(platform::OpenForBinaryWrite(1, spool.dos() + "x.txt"));
  EXPECT_EQ(outside.read("target"), "precious");
  ASSERT_TRUE(platform::OpenForBinaryWrite(1, spool.dos() + "y.bat"));
  ASSERT_TRUE(platform::Put(1, "0123456789"));
  ASSERT_TRUE(platform::Close(1));
  ASSERT_TRUE(platform::OpenForBinaryWrite(1, spool.dos() + "y.bat"));
  ASSERT_TRUE(platform::Put(1, "ab"));
  ASSERT_TRUE(platform::Close(1));
  EXPECT_EQ(spool.read("y.bat"), "ab");  // truncated, no stale tail
}

TEST_F(TickTest, ATimerFiringDuringTheYieldIsDropped) {
  spool.write("a.ps", "1");
  spool.write("b.ps", "2");
  form.cmdStart_Click();
  int nested = 0;
  toolkit.pendingEvents = [&] {
    ++nested;
    timer("tmrPrint").fire();
  };
  timer("tmrPrint").fire();
  EXPECT_EQ(nested, 2);
  EXPECT_EQ(started().size(), 2u);
  EXPECT_EQ(status(), "Visa alla dokument\r\n2 dokument i kö");
}
