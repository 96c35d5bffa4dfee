#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "app/spool_folder.h"
#include "form_fixture.h"
#include "platform/process.h"

using ControlTest = FormTest;

TEST_F(ControlTest, StartUpEndsRunningAndWaiting) {
  const std::string folder = spool.host() + "/new/level";
  const std::string option = "printingdir=" + folder;
  const char* argv[] = {"lptspool", "first", option.c_str(), "last"};
  platform::setArguments(4, argv);
  std::vector<std::string> seen;
  toolkit.pendingEvents = [&] { seen.push_back(status()); };
  testing::internal::CaptureStderr();
  form.Form_Load();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(form.PrintingDir, spool.dos() + "new\\level\\");
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  // The first yield sees the stopped text, the second the waiting one.
  EXPECT_EQ(seen, (std::vector<std::string>{"Visa alla dokument\r\nAvstängd",
                                            "Visa alla dokument\r\nVänta..."}));
  EXPECT_FALSE(form.cmdStart->enabled());
  EXPECT_TRUE(form.cmdStop->enabled());
  EXPECT_FALSE(form.cmdShow->enabled());
  EXPECT_TRUE(form.tmrPrint->enabled());
  EXPECT_EQ(form.lngDocuments, 0);
}

TEST_F(ControlTest, AFolderThatCannotBeMadeIsNamedAndUsedOnceItExists) {
  spool.write("file", "in the way");
  const std::string option = "PRINTINGDIR=" + spool.path("file") + "/spool";
  const char* argv[] = {"lptspool", option.c_str()};
  platform::setArguments(2, argv);
  testing::internal::CaptureStderr();
  form.Form_Load();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "lptspool: the spool folder " + spool.path("file") +
                "/spool/ cannot be created; waiting for it to exist\n");
  EXPECT_TRUE(form.tmrPrint->enabled());
  std::filesystem::remove(spool.path("file"));
  std::filesystem::create_directories(spool.path("file/spool"));
  spool.write("file/spool/REPORT.PS", "x");
  form.tmrPrint_Timer();
  EXPECT_EQ(started().size(), 1u);
}

TEST_F(ControlTest, StopAndStartAgain) {
  form.cmdStart_Click();
  form.tmrPrint_Timer();
  EXPECT_TRUE(form.cmdShow->enabled());
  form.cmdStop_Click();
  EXPECT_EQ(status(), "Visa alla dokument\r\nAvstängd");
  EXPECT_TRUE(form.cmdStart->enabled());
  EXPECT_FALSE(form.cmdStop->enabled());
  EXPECT_FALSE(form.cmdShow->enabled());
  EXPECT_FALSE(form.tmrPrint->enabled());
  const int starts = timer("tmrPrint").starts;
  form.cmdStart_Click();
  EXPECT_EQ(status(), "Visa alla dokument\r\nVänta...");
  EXPECT_EQ(timer("tmrPrint").starts, starts + 1);  // a full interval before the next tick
  EXPECT_FALSE(form.cmdShow->enabled());            // until the first tick
}

TEST_F(ControlTest, StopDuringATickLetsItFinish) {
  spool.write("a.ps", "1");
  form.cmdStart_Click();
  toolkit.pendingEvents = [&] { form.cmdStop_Click(); };
  timer("tmrPrint").fire();
  EXPECT_FALSE(form.tmrPrint->enabled());
  EXPECT_EQ(status(), "Visa alla dokument\r\n1 dokument i kö");
  EXPECT_EQ(started().size(), 1u);
  timer("tmrPrint").fire();  // stopped: nothing more happens
  EXPECT_EQ(started().size(), 1u);
}

// The folder option, as the shell leaves it and as typed; a refusal names the usage and leaves the
// folder alone. Its case is kept, and the first option counts.
TEST(CommandLine, TheFolderOption) {
  using platform::rebuildCommandLine;
  EXPECT_EQ(rebuildCommandLine({"-x", "/a b/c", "KEY=word"}), "-x \"Z:\\a b\\c\" KEY=word");
  const std::pair<std::string, std::string> accepted[] = {
      {rebuildCommandLine({"PRINTINGDIR=/home/me/spool"}), "Z:\\home\\me\\spool\\"},
      {rebuildCommandLine({"PRINTINGDIR=\"/home/me/spool/\""}), "Z:\\home\\me\\spool\\"},
      {rebuildCommandLine({"printingdir=\"Z:\\home\\me\\spool\\\""}), "Z:\\home\\me\\spool\\"},
      {"x PrintingDir=\"Z:\\Home\\Me\\Spool\" y PRINTINGDIR=\"Z:\\b\\\"", "Z:\\Home\\Me\\Spool\\"}};
  for (const auto& [line, expected] : accepted) {
    std::string folder;
    Refusal reason;
    EXPECT_TRUE(readPrintingDir(line, folder, reason)) << line;
    EXPECT_EQ(folder, expected);
  }
  // A quote in the folder's name must not cut it short into another folder.
  for (const std::string& line :
       {rebuildCommandLine({"PRINTINGDIR=/tmp/a\"b"}), std::string(), std::string("hello world"),
        std::string("PRINTINGDIR=spool"), std::string("PRINTINGDIR=\"spool\\\""),
        std::string("PRINTINGDIR=\"C:\\SPOOL\\\""), std::string("PRINTINGDIR=\"Z:\\unclosed"),
        std::string("x\" PRINTINGDIR \"Z:\\a\\\"")}) {
    std::string folder = "unchanged";
    Refusal refusal;
    EXPECT_FALSE(readPrintingDir(line, folder, refusal)) << line;
    EXPECT_EQ(folder, "unchanged");
    EXPECT_NE(refusal.reason.find("PRINTINGDIR=/path/to/folder"), std::string::npos)
        << refusal.reason;
  }
}

TEST(CommandLine, FolderMustLeaveRoomForAShortJobName) {
  Refusal refusal;
  EXPECT_TRUE(leavesRoomForJobs("Z:\\" + std::string(47, 'a') + "\\", 63, refusal));
  EXPECT_FALSE(leavesRoomForJobs("Z:\\" + std::string(48, 'a') + "\\", 63, refusal));
  EXPECT_NE(refusal.reason.find("too long"), std::string::npos);
}
