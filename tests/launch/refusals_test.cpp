// Jobs refused before anything is sent (hard links, too big, sparse), printer folders someone
// else could have prepared, and a printer without room.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>

#include "platform/launch_sink.h"
#include "runs_fixture.h"

namespace launch {
namespace {

using launchtest::readFile;
using launchtest::writeFile;
namespace fs = std::filesystem;

class Refusals : public launchtest::Runs {};

TEST_F(Refusals, LinkedOversizedAndSparseJobsAreKeptUnprinted) {
  options_.maxJobBytes = 4096;
  writeFile(dir_ / "private.txt", "the user's own file");
  fs::create_hard_link(dir_ / "private.txt", spool_ / "LINKED.PS");
  writeFile(spool_ / "BIG.PS", std::string(5000, 'b'));
  std::ofstream(spool_ / "HOLES.PS").close();
  fs::resize_file(spool_ / "HOLES.PS", 100 << 20);
  struct {
    const char* job;
    const char* reason;
  } cases[] = {{"LINKED.PS", "hard links"}, {"BIG.PS", "largest job"}, {"HOLES.PS", ""}};
  options_.maxJobBytes = std::uint64_t{1} << 30;
  for (const auto& c : cases) {
    options_.maxJobBytes = std::string(c.job) == "BIG.PS" ? 4096 : std::uint64_t{1} << 30;
    log_.str("");
    EXPECT_EQ(run(writeJobFiles("JOB", serverScript(c.job, "JOB"))), kLineFailed) << c.job;
    EXPECT_TRUE(has(c.job)) << c.job;
    EXPECT_NE(log_.str().find(std::string(c.job) + " cannot be printed: "), std::string::npos)
        << log_.str();
    EXPECT_NE(log_.str().find(c.reason), std::string::npos) << log_.str();
  }
  EXPECT_TRUE(printed().empty());
  EXPECT_EQ(readFile(dir_ / "private.txt"), "the user's own file");
}

TEST_F(Refusals, APrinterWithoutRoomForTheJobIsNotStarted) {
  std::string why;
  EXPECT_TRUE(platform::roomFor(out_.string(), 1, why));
  EXPECT_FALSE(platform::roomFor(out_.string(), ~std::uint64_t{0}, why));
  EXPECT_NE(why.find("free"), std::string::npos) << why;
#ifndef _WIN32
  EXPECT_TRUE(platform::roomFor("/dev/null", ~std::uint64_t{0}, why));  // a device: no room to tell
#endif
}

#ifndef _WIN32  // symbolic links, owners and modes
TEST_F(Refusals, APrinterFolderMustBeARealFolderOfThisUserOrRoot) {
  writeFile(spool_ / "A.PS", "job");
  const std::string pif = writeJobFiles("APS", "copy A.PS lpt1");
  fs::create_directory(dir_ / "docs");
  fs::create_directory(dir_ / "open");
  fs::permissions(dir_ / "open", fs::perms::all);
  fs::create_directory_symlink(dir_ / "docs", dir_ / "open" / "link");
  fs::create_directory(dir_ / "mine");
  fs::create_directory_symlink(dir_ / "docs", dir_ / "mine" / "link");
  struct {
    fs::path lpt1;
    bool prints;
  } cases[] = {
      {dir_ / "open" / "link", false},           // the folder itself a link
      {dir_ / "open" / "link" / "", false},      // the same with a slash
      {dir_ / "mine" / "link", false},           // a link as the folder, wherever it lies
      {dir_ / "open" / "link" / "sub/", false},  // a link in a folder anyone may write
      {dir_ / "mine" / "link" / "sub/", true},   // a link only this user could have made
      {dir_ / "new" / "sub/", true},             // made
      {"printed/", false},                       // relative: it would be made in the spool folder
  };
  for (const auto& c : cases) {
    options_.lpt1 = c.lpt1.string();
    writeFile(spool_ / "A.PS", "job " + c.lpt1.string());  // a new job each time
    log_.str("");
    EXPECT_EQ(run(pif), c.prints ? kDone : kLineFailed) << c.lpt1 << "\n" << log_.str();
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "docs"), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::exists(spool_ / "printed"));
  ASSERT_TRUE(fs::is_directory(dir_ / "new" / "sub"));
  EXPECT_EQ(readFile(fs::directory_iterator(dir_ / "new" / "sub")->path()),
            "job " + (dir_ / "new" / "sub/").string());
  if (geteuid() != 0) return;
  // A folder another user made first.
  fs::create_directory(dir_ / "planted");
  ASSERT_EQ(chown((dir_ / "planted").c_str(), 4712, 4712), 0);
  options_.lpt1 = (dir_ / "planted").string();
  writeFile(spool_ / "A.PS", "job planted");
  EXPECT_EQ(run(pif), kLineFailed);
  EXPECT_NE(log_.str().find("belongs to user 4712"), std::string::npos) << log_.str();
}
#endif

}  // namespace
}  // namespace launch
