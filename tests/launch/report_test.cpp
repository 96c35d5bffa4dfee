// What one launcher run leaves for the server to tell, for each kind of printer that fails: the
// line the server says and the --queue line, both read back from the job states.
#include "launch/report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "launch/runner.h"
#include "launch_test_support.h"
#include "queue/job_list.h"

namespace launch {
namespace {

namespace fs = std::filesystem;

class Reports : public launchtest::SpoolFolder {
 protected:
  void SetUp() override {
    SpoolFolder::SetUp();
    fs::create_directory(dir_ / "run");
    chmod((dir_ / "run").c_str(), 0700);
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    saved_ = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
  }
  void TearDown() override {
    keepStatesOf("");
    if (saved_)
      setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
    else
      unsetenv("XDG_RUNTIME_DIR");
    SpoolFolder::TearDown();
  }
  std::optional<std::string> saved_;
};

TEST_F(Reports, EachPrinterKindsFailureIsToldWithItsOwnReason) {
  const std::string p = dir_.string();
  fs::create_directory(dir_ / "printed");
  launchtest::writeFile(dir_ / "file", "");
  mkfifo((dir_ / "fifo").c_str(), 0600);
  struct Case {
    std::string lpt1, line, queueWord;
  };
  const std::vector<Case> cases = {
      {p + "/nosuch", "JOB.PS waits: lpt1: " + p + "/nosuch: No such file or directory", "failed"},
      {p + "/file/x", "JOB.PS waits: lpt1: " + p + "/file/x: Not a directory", "failed"},
      {p + "/fifo", "JOB.PS waits: lpt1: " + p + "/fifo", "failed"},
      // The command's own last words on its standard error, and only the last of many.
      {"|echo one >&2; echo 'lp: paper jam' >&2; exit 3",
       "JOB.PS waits: lpt1: command exited with status 3: one / lp: paper jam", "failed"},
      {"|head -c 300000 /dev/zero | tr '\\0' x >&2; exit 4",
       "JOB.PS waits: lpt1: command exited with status 4: xxxx", "failed"},
      {p + "/printed", "JOB.PS printed (5 bytes)", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lpt1);
    launchtest::writeFile(spool_ / "JOB.PS", "12345");
    LaunchOptions options;
    options.launcher = writeJobFiles("JOBPS", serverScript("JOB.PS", "JOBPS"));
    options.settleMs = 0;
    options.lpt1 = c.lpt1;
    options.cupsDestination = [] { return std::optional<std::string>(); };
    keepStatesOf(spool_.string());
    runLauncher(options);

    platform::JobStateStore store;
    std::string error;
    ASSERT_TRUE(store.open(spool_.string(), error)) << error;
    const std::string queue = queue::queueText(queue::currentJobs(store, dos(spool_) + "\\"), 0);
    std::vector<std::string> said;
    queue::Tracker server(store, spool_.string() + "/",
                          [&](const std::string& line) { said.push_back(line); });
    queue::TickOutcome outcome;
    if (!c.queueWord.empty()) outcome.found = {"JOB.PS"};
    server.afterTick(outcome);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].rfind(c.line, 0), 0u) << said[0];
    EXPECT_LT(said[0].size(), 4200u);
    if (!c.queueWord.empty()) {
      EXPECT_EQ(queue.rfind(c.queueWord + "\tJOB.PS\t5\t" + c.line.substr(14), 0), 0u) << queue;
    }
  }
}

}  // namespace
}  // namespace launch
