// A job comes out once: not again under another name, not again when it stays after printing,
// and not at all when it could not be deleted afterwards.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <thread>

#include "runs_fixture.h"

namespace launch {
namespace {

using launchtest::readFile;
using launchtest::writeFile;
namespace fs = std::filesystem;

class PrintedOnce : public launchtest::Runs {};

TEST_F(PrintedOnce, AJobThatStaysOrIsRenamedAfterPrintingIsNeverPrintedAgain) {
  writeFile(spool_ / "A.PS", "job");
  // A script that prints and keeps the job, as a launcher that could not delete it leaves it.
  const std::string keep = writeJobFiles("KEEP", "copy A.PS lpt1");
  EXPECT_EQ(run(keep), kDone) << log_.str();
  EXPECT_EQ(run(keep), kDone) << log_.str();
  EXPECT_EQ(printed().size(), 1u);
  // Renamed and moved, it is the same job: deleted, not printed.
  fs::create_directory(spool_ / "sub");
  fs::rename(spool_ / "A.PS", spool_ / "sub" / "B.PS");
  fs::rename(spool_ / "sub" / "B.PS", spool_ / "B.PS");
  EXPECT_EQ(run(writeJobFiles("BPS", serverScript("B.PS", "BPS"))), kDone) << log_.str();
  EXPECT_FALSE(has("B.PS"));
  EXPECT_EQ(printed(), std::vector<std::string>{"job"});
  // Changed, it is a new job and prints whole.
  writeFile(spool_ / "A.PS", "job2");
  EXPECT_EQ(run(keep), kDone) << log_.str();
  EXPECT_EQ(printed().size(), 2u);
}

TEST_F(PrintedOnce, AnEmptyJobIsDeletedWithoutAskingThePrinter) {
  writeFile(spool_ / "EMPTY.PS", "");
  options_.lpt1 = (dir_ / "no-such-printer").string();
  EXPECT_EQ(run(writeJobFiles("EMPTYPS", serverScript("EMPTY.PS", "EMPTYPS"))), kDone)
      << log_.str();
  EXPECT_TRUE(fs::is_empty(spool_));
  EXPECT_NE(log_.str().find("EMPTY.PS printed: empty"), std::string::npos) << log_.str();
  EXPECT_EQ(log_.str().find("failed"), std::string::npos) << log_.str();
}

#ifndef _WIN32  // commands through /bin/sh, folder modes
TEST_F(PrintedOnce, AJobRenamedTheMomentThePrinterTookItIsNotPrintedAgain) {
  writeFile(spool_ / "A.PS", "job");
  // The printer takes the job, then its owner renames it before the launcher looks again.
  options_.lpt1 = "|cat > \"$(mktemp '" + out_.string() + "/XXXXXX')\" && mv '" +
                  (spool_ / "A.PS").string() + "' '" + (spool_ / "B.PS").string() + "'";
  EXPECT_EQ(run(writeJobFiles("APS", serverScript("A.PS", "APS"))), kDone) << log_.str();
  ASSERT_TRUE(has("B.PS"));
  EXPECT_EQ(run(writeJobFiles("BPS", serverScript("B.PS", "BPS"))), kDone) << log_.str();
  EXPECT_FALSE(has("B.PS"));
  EXPECT_EQ(printed(), std::vector<std::string>{"job"});
}

// A device cannot take back what it got: a job that changed while it went is told once as printed
// in part, and its new content is printed whole.
TEST_F(PrintedOnce, AJobChangedWhileADeviceTookItIsToldOnceThenPrintedWhole) {
  const std::string job(1 << 20, 'j');  // far more than the FIFO holds
  writeFile(spool_ / "A.PS", job);
  const fs::path fifo = dir_ / "lp0";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  options_.lpt1 = fifo.string();
  // Opened to read and write before each run: the device is there when the launcher opens it,
  // and never sees an end.
  auto readFromDevice = [&](int fd, std::size_t bytes, std::size_t changeAfter, std::string& got) {
    char buffer[65536];
    while (got.size() < bytes) {
      const ssize_t n = read(fd, buffer, std::min(sizeof buffer, bytes - got.size()));
      if (n <= 0) break;
      if (got.size() < changeAfter && got.size() + n >= changeAfter)
        std::ofstream(spool_ / "A.PS", std::ios::app) << "more";
      got.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
  };
  std::string first, second;
  int fd = open(fifo.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  std::thread device([&, fd] { readFromDevice(fd, job.size(), 65536, first); });
  const std::string pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
  EXPECT_EQ(run(pif), kLineFailed) << log_.str();
  device.join();
  EXPECT_EQ(first, job);
  EXPECT_NE(log_.str().find("A.PS printed: in part"), std::string::npos) << log_.str();
  log_.str("");
  fd = open(fifo.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  device = std::thread([&, fd] { readFromDevice(fd, job.size() + 4, std::string::npos, second); });
  EXPECT_EQ(run(pif), kDone) << log_.str();
  device.join();
  EXPECT_EQ(second, job + "more");
  EXPECT_FALSE(has("A.PS"));
}

// Root may delete anything but an immutable file; anyone else not in a folder he may not write.
bool pinFolder(const fs::path& folder, bool pin) {
  if (geteuid() != 0) {
    fs::permissions(folder,
                    pin ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_all);
    return true;
  }
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  int flags = 0;
  bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = pin ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) close(fd);
  return done;
}

TEST_F(PrintedOnce, AJobThatCouldNotBeDeletedAfterwardsIsNotPrinted) {
  writeFile(spool_ / "A.PS", "job");
  const std::string pif = writeJobFiles("APS", serverScript("A.PS", "APS"));
  if (!pinFolder(spool_, true)) GTEST_SKIP() << "no immutable folders here";
  const ExitStatus status = run(pif);
  pinFolder(spool_, false);
  EXPECT_EQ(status, kLineFailed);
  EXPECT_TRUE(printed().empty());
  EXPECT_NE(log_.str().find("could not be deleted afterwards"), std::string::npos) << log_.str();
}
#endif

}  // namespace
}  // namespace launch
