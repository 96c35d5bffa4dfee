// The real ShellExecuteA of this host, with a stand-in for lptspool-launch that logs its start and
// its end: however many launches are asked for at once, at most the bound run at any moment, a
// launch asked for again while it waits is merged, and the queue drains by itself.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/process.h"
#include "temp_folder.h"

namespace {

struct LogCount {
  size_t starts = 0, ends = 0, mostAtOnce = 0;
  bool sentinelEnded = false;
};

LogCount countLog(const TempFolder& folder) {
  LogCount count;
  std::istringstream log(folder.read("log"));
  std::string sign, file;
  while (log >> sign >> file) {
    if (sign == "+") ++count.starts;
    if (sign == "-") ++count.ends;
    if (sign == "-" && file == "last.pif") count.sentinelEnded = true;
    count.mostAtOnce = std::max(count.mostAtOnce, count.starts - count.ends);
  }
  return count;
}

}  // namespace

TEST(LauncherStarts, BoundedQueuedMergedAndDrained) {
  TempFolder program, spool;
  // Nothing ends before every launch has been asked for, however slow the machine: the asks
  // again below must find their launches still waiting.
  program.write("fake",
                "#!/bin/sh\necho \"+ $1\" >>log\nwhile [ ! -e go ]; do sleep 0.05; done\n"
                "sleep 0.1\necho \"- $1\" >>log\n");
  chmod(program.path("fake").c_str(), 0755);
  platform::overrideLauncherProgram(program.path("fake"));
  const int jobs = 150;
  for (int i = 0; i < jobs; ++i) spool.write("j" + std::to_string(i) + ".pif", "");
  spool.write("last.pif", "");
  for (int i = 0; i < jobs; ++i)
    ASSERT_GT(platform::shellExecute("j" + std::to_string(i) + ".pif", spool.dos()), 32);
  // These still wait their turn: asking again adds nothing.
  for (int i = jobs - 20; i < jobs; ++i)
    ASSERT_GT(platform::shellExecute("j" + std::to_string(i) + ".pif", spool.dos()), 32);
  // The queue is first come, first served: when this one has ended, every other has.
  ASSERT_GT(platform::shellExecute("last.pif", spool.dos()), 32);
  spool.write("go", "");
  LogCount count;
  for (int waited = 0; waited < 600 && !count.sentinelEnded; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    count = countLog(spool);
  }
  while (count.ends < count.starts && count.starts <= jobs + 1) count = countLog(spool);
  platform::overrideLauncherProgram("");
  EXPECT_TRUE(count.sentinelEnded);
  EXPECT_EQ(count.starts, size_t(jobs + 1));
  EXPECT_LE(count.mostAtOnce, platform::kMaxLiveLaunchers);
  EXPECT_GT(count.mostAtOnce, 1u);
}
