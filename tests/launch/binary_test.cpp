// The installed program as the server starts it: environment, exit status, silence.
#include <gtest/gtest.h>

#include <cstdlib>

#include "launch_test_support.h"

namespace {

using launchtest::readFile;
using launchtest::writeFile;
namespace fs = std::filesystem;

class Program : public launchtest::SpoolFolder {
 protected:
  // Runs the program in the spool folder with the given environment; its exit status.
  int launch(const std::string& env, const std::string& launcher) {
    fs::path rc = dir_ / "rc", said = dir_ / "said";
    std::string command = "cd '" + spool_.string() + "' && env -u LPT1 -u LPTSPOOL_DEBUG " + env +
                          " LPTSPOOL_SETTLE_MS=50 '" LPTSPOOL_LAUNCH_PROGRAM "' " + launcher +
                          " </dev/null >'" + said.string() + "' 2>&1; echo $? >'" + rc.string() +
                          "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    output_ = readFile(said);
    return std::atoi(readFile(rc).c_str());
  }
  std::string output_;
};

TEST_F(Program, PrintsQuietlyAndTellsWhyItStopped) {
  writeFile(spool_ / "A.PS", "%!PS");
  std::string pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
  std::string missing = "LPT1='" + (dir_ / "out").string() + "'";
  EXPECT_EQ(launch(missing, pif), 1);
  EXPECT_EQ(output_, "");
  // The printer failed moments ago: the next launcher does not try it again.
  EXPECT_EQ(launch("LPTSPOOL_DEBUG=1 " + missing, pif), 1);
  EXPECT_NE(output_.find("not tried again"), std::string::npos) << output_;
  // Some seconds later (the note of the failure gone), it is tried again, and says why it fails.
  for (const auto& note : fs::directory_iterator(dir_ / "run" / "lptspool"))
    if (note.path().extension() == ".failed") fs::remove(note.path());
  EXPECT_EQ(launch("LPTSPOOL_DEBUG=1 " + missing, pif), 1);
  EXPECT_NE(output_.find((dir_ / "out").string()), std::string::npos) << output_;

  for (const auto& note : fs::directory_iterator(dir_ / "run" / "lptspool"))
    if (note.path().extension() == ".failed") fs::remove(note.path());
  fs::create_directory(dir_ / "out");
  EXPECT_EQ(launch(missing, pif), 0);
  EXPECT_EQ(output_, "");
  EXPECT_TRUE(fs::is_empty(spool_));
  auto printed = fs::directory_iterator(dir_ / "out");
  ASSERT_NE(printed, fs::directory_iterator());
  EXPECT_EQ(readFile(printed->path()), "%!PS");
}

TEST_F(Program, RefusedAndBusyStatuses) {
  writeFile(spool_ / "A.PS", "job");
  std::string pif = writeJobFiles("APS", "copy A.PS lpt1\r\ndel ..\\A.PS");
  EXPECT_EQ(launch("LPT1=/dev/null", pif), 2);
  EXPECT_EQ(launch("", ""), 2);
  fs::remove(spool_ / "A.PS");  // printed by another launcher
  writeFile(spool_ / "APS.bat", serverScript("A.PS", "APS"));
  EXPECT_EQ(launch("LPT1=/dev/null", pif), 3);
}

}  // namespace
