// Where lpt1 leads: the choice from LPT1, and each kind of sink.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "launch/sink_choice.h"
#include "launch_test_support.h"
#include "platform/launch_job.h"
#include "platform/launch_sink.h"
#include "platform/program_lookup.h"

namespace launch {
namespace {

using launchtest::readFile;
using launchtest::writeFile;
namespace fs = std::filesystem;

TEST(SinkChoice, Lpt1PathCommandOrDefault) {
  SinkPlan plan;
  ASSERT_TRUE(planSink(std::string("/dev/usb/lp0"), std::string("office"), plan));
  EXPECT_EQ(plan.kind, SinkPlan::Kind::Path);
  EXPECT_EQ(plan.path, "/dev/usb/lp0");

  ASSERT_TRUE(planSink(std::string("|lp -d office -o raw"), std::nullopt, plan));
  EXPECT_EQ(plan.kind, SinkPlan::Kind::Command);
  EXPECT_EQ(plan.argv, platform::shellCommand("lp -d office -o raw"));

  ASSERT_TRUE(planSink(std::nullopt, std::string("office"), plan));
  EXPECT_EQ(plan.argv, (std::vector<std::string>{"lp", "-d", "office", "-o", "raw"}));
  ASSERT_TRUE(planSink(std::string(), std::nullopt, plan));
  EXPECT_EQ(plan.kind, SinkPlan::Kind::Path);
  EXPECT_EQ(plan.path, platform::defaultDevice());

  EXPECT_FALSE(planSink(std::string("| "), std::nullopt, plan));
}

TEST(SinkChoice, TheDefaultPrinterConvertsPostScriptAndPdfOnly) {
  SinkPlan plan;
  ASSERT_TRUE(planSink(std::nullopt, std::string("office"), plan));
  const std::vector<std::string> typed{"lp", "-d", "office"};
  const std::vector<std::string> raw{"lp", "-d", "office", "-o", "raw"};
  const std::pair<std::string, bool> cases[] = {
      {"%!PS-Adobe-3.0\n", true},
      {"\xEF\xBB\xBF%!PS", true},
      {"\x04%!PS", true},
      {"\x1B%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE=POSTSCRIPT\r\n%!PS", true},
      {"%PDF-1.7\n", true},
      {"\x1B"
       "E\x1B&l0O",
       false},  // PCL
      {"\x1B%-12345X@PJL ENTER LANGUAGE=PCL\r\n\x1B"
       "E",
       false},
      {"\x1B%-12345X@PJL ENTER LANGUAGE=POSTSCRIPT", false},  // cut off in the preamble
      {"Hello %!", false},
      {"%", false},
      {"", false},
  };
  for (const auto& [head, converted] : cases)
    EXPECT_EQ(commandFor(plan, head), converted ? typed : raw) << head;
  // An explicit LPT1 is never changed.
  ASSERT_TRUE(planSink(std::string("|lp -d office -o raw"), std::string("office"), plan));
  EXPECT_EQ(commandFor(plan, "%!PS"), plan.argv);
}

TEST(SinkChoice, ReadsLpstatsDefault) {
  EXPECT_EQ(defaultDestination("system default destination: HP_LaserJet\n"), "HP_LaserJet");
  EXPECT_EQ(defaultDestination("no system default destination\n"), std::nullopt);
  EXPECT_EQ(defaultDestination(""), std::nullopt);
  EXPECT_EQ(defaultDestination("system default destination: -oops\n"), std::nullopt);
}

// Makes this process the reaper of its orphaned descendants while it lives, so that a test can
// wait until every process a command started has ended, and leaves none behind.
class Orphans {
 public:
  Orphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }
  ~Orphans() {
    reap();
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
  }
  // Returns once every child and orphaned descendant has ended.
  void reap() {
    while (::wait(nullptr) > 0 || errno == EINTR) {
    }
  }
};

class Sinks : public launchtest::SpoolFolder {
 protected:
  // Prints the bytes as a job through a fresh sink; false when any step fails. With changed the
  // job is taken to have changed since it settled.
  bool send(std::unique_ptr<platform::Sink> sink, const std::string& bytes, bool changed = false) {
    writeFile(dir_ / "job", bytes);
    fs::current_path(dir_);
    platform::JobFile job;
    platform::FileStamp settled;
    bool ok = job.open("job") == platform::JobFile::Open::Ok && job.stamp(settled);
    fs::current_path(spool_);
    if (changed) settled.mtimeNs -= 1;
    ok = ok && sink && job.printTo(*sink, settled);
    EXPECT_TRUE(!sink || ok || sink->changed() == changed) << sink->error();
    return ok;
  }
  std::unique_ptr<platform::Sink> pathSink(const fs::path& path, const std::string& job = "J.PS") {
    std::string error;
    auto sink = platform::openPathSink(path.string(), job, error);
    EXPECT_EQ(sink == nullptr, !error.empty());
    return sink;
  }
  std::unique_ptr<platform::Sink> commandSink(const std::string& command) {
    std::string error;
    return platform::openCommandSink({"/bin/sh", "-c", command}, true, error);
  }
};

TEST_F(Sinks, PathsThatCannotTakeAJobFailAndCreateNothing) {
  // An unplugged printer must not turn into a file, a FIFO nobody reads would swallow the job,
  // and the spool folder's own files would come back as new jobs at the next tick.
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  for (const fs::path& path :
       {dir_ / "lp0", dir_ / "gone" / "lp0", dir_ / "fifo", spool_, fs::path(".")})
    EXPECT_EQ(pathSink(path), nullptr) << path;
  EXPECT_FALSE(fs::exists(dir_ / "lp0"));
  EXPECT_FALSE(fs::exists(dir_ / "gone"));
}

TEST_F(Sinks, AMissingFolderNamedWithASlashIsMade) {
  fs::path out = dir_ / "printed" / "today";
  EXPECT_TRUE(send(pathSink(out.string() + "/"), "job"));
  const mode_t mask = ::umask(022);
  ::umask(mask);
  for (const fs::path& level : {out.parent_path(), out})
    EXPECT_EQ(static_cast<mode_t>(fs::status(level).permissions()), 0755 & ~mask);
  ASSERT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
  EXPECT_EQ(readFile(fs::directory_iterator(out)->path()), "job");
}

TEST_F(Sinks, FifoReaderGetsTheBytesUnchangedAndLeavingMidJobIsAFailureNotACrash) {
  fs::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto openWhenRead = [&] {  // the reader may not have opened its end yet
    std::unique_ptr<platform::Sink> sink;
    for (std::string error; !sink; std::this_thread::yield())
      sink = platform::openPathSink(fifo.string(), "J.PS", error);
    return sink;
  };
  std::string received;
  std::thread reader([&] { received = readFile(fifo); });  // opening waits for the writer
  std::string job(200000, '\0');
  for (std::size_t i = 0; i < job.size(); ++i) job[i] = static_cast<char>(i * 7);
  EXPECT_TRUE(send(openWhenRead(), job));
  reader.join();
  EXPECT_EQ(received, job);

  // A reader process, not a thread: the sink's sending child would inherit a thread's end of
  // the FIFO and keep it open.
  ASSERT_EQ(std::system(("head -c 1 '" + fifo.string() + "' >/dev/null &").c_str()), 0);
  EXPECT_FALSE(send(openWhenRead(), std::string(4 << 20, 'x')));
}

TEST_F(Sinks, FolderGetsEachJobAsANewFile) {
  fs::path out = dir_ / "out";
  fs::create_directory(out);
  EXPECT_TRUE(send(pathSink(out, "my report.ps"), "first"));
  EXPECT_TRUE(send(pathSink(out, "my report.ps"), "second"));
  std::vector<std::string> contents;
  for (const auto& entry : fs::directory_iterator(out)) {
    std::string name = entry.path().filename().string();
    EXPECT_NE(name[0], '.') << "temporary file left: " << name;
    EXPECT_EQ(name.substr(name.size() - 13), "-my report.ps");
    contents.push_back(readFile(entry.path()));
  }
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{"first", "second"}));
}

TEST_F(Sinks, AJobThatChangedIsTakenBackWhereTheSinkCan) {
  writeFile(dir_ / "printer.out", "old;");
  EXPECT_TRUE(send(pathSink(dir_ / "printer.out"), "job"));
  EXPECT_FALSE(send(pathSink(dir_ / "printer.out"), "torn", true));
  EXPECT_EQ(readFile(dir_ / "printer.out"), "old;job");

  fs::path out = dir_ / "out";
  fs::create_directory(out);
  EXPECT_FALSE(send(pathSink(out), "torn", true));
  EXPECT_TRUE(fs::is_empty(out));

  // The command never sees the end of its input, so it submits nothing: nor does a pipeline
  // whose last program reads after its shell is gone.
  fs::path piped = dir_ / "piped";
  const std::string part = "'" + piped.string() + ".part'";
  Orphans orphans;
  EXPECT_FALSE(
      send(commandSink("cat | { cat > " + part + " && mv " + part + " '" + piped.string() + "'; }"),
           std::string(1 << 20, 'x'), true));
  orphans.reap();
  EXPECT_FALSE(fs::exists(piped));
}

TEST_F(Sinks, ACommandSucceedsOnlyWhenItTakesTheJobAndExitsZero) {
  fs::path out = dir_ / "piped";
  EXPECT_TRUE(send(commandSink("cat > '" + out.string() + "'"), "bytes\r\n\x1b%-12345X"));
  EXPECT_EQ(readFile(out), "bytes\r\n\x1b%-12345X");
  for (const char* command : {"cat >/dev/null; exit 3", "kill -9 $$"})
    EXPECT_FALSE(send(commandSink(command), "job")) << command;
  std::string error;
  EXPECT_FALSE(send(platform::openCommandSink({"/nonexistent/lp"}, true, error), "job"));
  // Far more than a pipe holds, so the write meets the closed pipe: a failure, not our death.
  EXPECT_FALSE(send(commandSink("head -c 1 >/dev/null"), std::string(4 << 20, 'x')));
}

// --check names the program a print command runs: both look it up the one way, passing over
// relative PATH entries (the working folder is the spool folder), folders and files that cannot
// run.
TEST_F(Sinks, TheCommandRunsTheProgramThatTheCheckFinds) {
  const std::string script = "#!/bin/sh\ncat >\"$0.out\"\n";
  for (const char* d : {"a", "b", "c"}) fs::create_directories(dir_ / d);
  fs::create_directories(dir_ / "a" / "lpx");
  writeFile(dir_ / "b" / "lpx", script);
  writeFile(dir_ / "c" / "lpx", script);
  writeFile(spool_ / "lpx", script);
  for (const fs::path& p : {dir_ / "c" / "lpx", spool_ / "lpx"})
    fs::permissions(p, fs::perms::owner_all);
  const char* saved = std::getenv("PATH");
  const std::string oldPath = saved ? saved : "";
  const std::string path = ".:lpx:" + (dir_ / "a").string() + ":" + (dir_ / "b").string() + ":" +
                           (dir_ / "c").string() + ":/usr/bin:/bin";
  ::setenv("PATH", path.c_str(), 1);
  std::string found, error;
  EXPECT_TRUE(platform::findProgram("lpx", found));
  EXPECT_EQ(found, (dir_ / "c" / "lpx").string());
  EXPECT_TRUE(send(platform::openCommandSink({"lpx"}, true, error), "job")) << error;
  EXPECT_EQ(readFile(dir_ / "c" / "lpx.out"), "job");
  EXPECT_FALSE(fs::exists(spool_ / "lpx.out"));
  EXPECT_FALSE(platform::findProgram("nothere", found));
  EXPECT_FALSE(platform::findProgram((dir_ / "b" / "lpx").string(), found));
  EXPECT_FALSE(send(platform::openCommandSink({"nothere"}, true, error), "job"));
  if (saved)
    ::setenv("PATH", oldPath.c_str(), 1);
  else
    ::unsetenv("PATH");
}

// Runs `steps` in a child process that is then killed, as an operator or the OOM killer might kill
// a launcher: at once after the steps, or as soon as `ready` holds while they still run. Returns
// once everything the child started has ended too.
void killedChild(const std::function<void()>& steps, const std::function<bool()>& ready) {
  Orphans orphans;
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    steps();
    raise(SIGKILL);
  }
  for (int i = 0; ready && i < 400 && !ready(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  kill(pid, SIGKILL);
}

// Whatever moment the launcher dies at, the command gets the whole job or, killed itself, none:
// never an end of input short of the job's end. Once it has begun to read, it gets it whole.
TEST_F(Sinks, KilledWhileTheCommandRunsTheJobArrivesWholeOrNotAtAll) {
  const fs::path out = dir_ / "printed", started = dir_ / "started";
  const fs::path part = out.string() + ".part";
  const std::string job(1 << 20, 'j');  // more than a pipe holds
  const std::string touch = "touch '" + started.string() + "'";
  const std::string finish =
      "cat >> '" + part.string() + "' && mv '" + part.string() + "' '" + out.string() + "'";
  const std::string readsFirst = "dd bs=1 count=1 of='" + part.string() + "' 2>/dev/null && " +
                                 touch + " && sleep 1 && " + finish;
  const std::string startsFirst = touch + "; " + finish;
  for (const std::string& command : {readsFirst, startsFirst, startsFirst, startsFirst}) {
    for (const fs::path& p : {out, part, started}) fs::remove(p);
    killedChild([&] { send(commandSink(command), job); }, [&] { return fs::exists(started); });
    if (command == readsFirst || fs::exists(out)) {
      EXPECT_EQ(readFile(out), job) << command;
    }
  }
}

TEST_F(Sinks, FolderKeepsNothingOfAKilledLauncher) {
  fs::path out = dir_ / "out";
  fs::create_directory(out);
  killedChild(
      [&] {
        std::string error;
        auto sink = platform::openPathSink(out.string(), "J.PS", error);
        EXPECT_TRUE(sink);
      },
      nullptr);
  EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace launch
