#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

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

std::string joined(const std::array<std::string, 4>& lines) {
  return lines[0] + lines[1] + lines[2] + lines[3];
}

}  // namespace

using TickTest = FormTest;

TEST_F(TickTest, AFolderWithoutJobsOrWithoutItselfCountsZero) {
  tick();
  EXPECT_EQ(status(), "Visa alla dokument\r\n0 dokument i kö");
  EXPECT_TRUE(form.cmdShow->enabled());
  form.PrintingDir = spool.dos() + "gone\\";
  tick();
  EXPECT_EQ(status(), "Visa alla dokument\r\n0 dokument i kö");
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

  // A job still there at the next tick gets its files anew under the same name.
  const std::string script = spool.read("REPORTPS.bat");
  tick();
  ASSERT_EQ(started().size(), 2u);
  EXPECT_EQ(started()[1].file, "REPORTPS.pif");
  EXPECT_EQ(spool.read("REPORTPS.bat"), script);
}

TEST_F(TickTest, TheSweepRemovesOnlyWhatTheServerWrote) {
  // A sibling whose name starts like the spool folder must never be swept.
  const std::string sibling = spool.host() + "-other";
  fs::create_directory(sibling);
  std::ofstream(sibling + "/keep.bat") << "x";
  TempFolder outside;
  outside.write("LINKPS.bat", joined(batchLines("LINK.PS", "LINKPS")));
  const std::string script = joined(batchLines("REPORT.PS", "REPORTPS"));
  struct Case {
    std::string name, bytes;
    bool swept;
  };
  std::vector<Case> cases = {
      {"REPORTPS.bat", script, true},  // left-overs of an earlier tick or run
      {"REPORTPS.pif", launcherFor(templ(), spool.dos() + "REPORTPS.bat"), true},
      {"100%ps.bat", joined(batchLines("100%.ps", "100%ps")), true},
      {"QUARTE~1.bat", joined(batchLines("Quarterly report.ps", "QUARTE~1")), true},
      {"backup.bat", "@echo off\r\ncopy *.doc a:\r\n", false},  // the user's own
      {"notes.pif", "my notes", false},
      {"FIFTHPS.bat", joined(batchLines("FIFTH.PS", "FIFTHPS")) + "\r\ndel x", false},
      {"OTHERPS.bat", script, false},  // the lines of another job name
      {"AWAYPS.pif", launcherFor(templ(), "Z:\\tmp\\AWAYPS.bat"), false},
      {"FOREIGNPS.bat", joined(batchLines("FOREIGN.PS", "FOREIGNPS")), false},
  };
  for (const Case& c : cases) spool.write(c.name, c.bytes);
  fs::create_directory(spool.path("folder.bat"));
#ifdef _WIN32
  cases.pop_back();
#else
  // Another user's file is his, whatever it holds (only root can hand it over).
  if (chown(spool.path("FOREIGNPS.bat").c_str(), 65534, 65534) != 0) cases.pop_back();
  fs::create_symlink(outside.path("LINKPS.bat"), spool.path("LINKPS.bat"));
  ASSERT_EQ(mkfifo(spool.path("PIPE.pif").c_str(), 0600), 0);  // must not hang the tick
#endif
  tick();
  for (const Case& c : cases) EXPECT_EQ(spool.exists(c.name), !c.swept) << c.name;
  EXPECT_TRUE(spool.exists("folder.bat"));
#ifndef _WIN32
  EXPECT_TRUE(spool.exists("LINKPS.bat") && spool.exists("PIPE.pif"));
  EXPECT_EQ(outside.read("LINKPS.bat"), joined(batchLines("LINK.PS", "LINKPS")));
#endif
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
  // Names no script can carry are counted, stay untouched, and are said once, in one line.
  EXPECT_EQ(status(), "Visa alla dokument\r\n3 dokument i kö");
  EXPECT_EQ(outside.read("secret.ps"), "not yours");
  EXPECT_TRUE(spool.exists("bad\nname.ps"));
  EXPECT_EQ(said,
            std::vector<std::string>{"3 jobs left in the folder unprinted: " +
                                     queue::standingReason(queue::Standing::UnusableName, 0)});
}

#endif

// Names that collide once their dots go (a.b.ps, ab.ps) still get files of their own.
TEST_F(TickTest, EveryJobOfATickWithOneYieldBeforeEachGetsItsOwnFiles) {
  for (const char* name : {"a.ps", "B.PS", "c.Ps", "a.b.ps", "ab.ps"}) spool.write(name, name);
  tick();
  EXPECT_EQ(toolkit.yields, 5);
  std::set<std::string> copies;
  for (const auto& call : started()) {
    const std::string jobName = call.file.substr(0, call.file.size() - 4);
    const std::string script = spool.read(jobName + ".bat");
    copies.insert(script.substr(0, script.find('\r')));
    EXPECT_EQ(spool.read(call.file), launcherFor(templ(), spool.dos() + jobName + ".bat"));
  }
  EXPECT_EQ(copies, (std::set<std::string>{"copy B.PS lpt1", "copy a.b.ps lpt1", "copy a.ps lpt1",
                                           "copy ab.ps lpt1", "copy c.Ps lpt1"}));
  EXPECT_EQ(status(), "Visa alla dokument\r\n5 dokument i kö");
}

TEST_F(TickTest, LongNamesGetAShortJobNameThatFits) {
  fs::create_directory(spool.path("jobs-folder"));
  form.PrintingDir = spool.dos() + "jobs-folder\\";
  spool.write("jobs-folder/Quarterly report for the board.ps", "q");
  tick();
  ASSERT_EQ(started().size(), 1u);
  EXPECT_EQ(started()[0].file, "QUARTE~1.pif");
  EXPECT_EQ(spool.read("jobs-folder/QUARTE~1.bat"),
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

TEST_F(TickTest, ANameSomebodyTookGivesWayToAShortName) {
  // Whoever may drop jobs may create files too: a name taken after the sweep is never written
  // through and never keeps its job from printing.
  TempFolder outside;
  outside.write("target", "precious");
  spool.write("REPORT.PS", "r");
  spool.write("REPORTPS.bat", "squatted");  // not the server's, so the sweep leaves it
  spool.write("INVOICE.PS", "i");
#ifdef _WIN32
  spool.write("INVOICEPS.pif", "his");
  tick();
#else
  fs::create_symlink(outside.path("target"), spool.path("INVOICEPS.pif"));
  const mode_t umaskBefore = umask(0);
  tick();
  umask(umaskBefore);
#endif
  EXPECT_EQ(spool.read("REPORTPS.bat"), "squatted");
  EXPECT_EQ(outside.read("target"), "precious");
  EXPECT_FALSE(spool.exists("INVOICEPS.bat"));  // given up with its launcher's name
  std::set<std::string> launchers;
  for (const auto& call : started()) launchers.insert(call.file);
  EXPECT_EQ(launchers, (std::set<std::string>{"INVOIC~1.pif", "REPORT~1.pif"}));
  EXPECT_EQ(spool.read("REPORT~1.bat"), joined(batchLines("REPORT.PS", "REPORT~1")));
#ifndef _WIN32
  for (const char* name : {"REPORT~1.bat", "REPORT~1.pif", "INVOIC~1.bat", "INVOIC~1.pif"}) {
    struct stat st {};
    ASSERT_EQ(lstat(spool.path(name).c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_mode, S_IFREG | 0644) << name;  // whatever the umask
  }
#endif
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
