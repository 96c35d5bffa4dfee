// One spool tick over N waiting jobs, in process, with ShellExecuteA recorded instead of run,
// against the floor: the same file work done directly with POSIX calls (enumerate the jobs, the
// two sweeps by pattern reading each file before deleting it, the two new helper files per job).
// Each iteration starts from the state the previous one left, so both sweep the helper files of the
// iteration before, as a running server sweeps those of the tick before.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "bench_folder.h"
#include "platform/memory/memory_toolkit.h"
#include "platform/process.h"
#include "spool/job_files.h"

namespace {

std::string readAll(const std::string& path) {
  std::string out;
  const int fd = open(path.c_str(), O_RDONLY);
  char buffer[4096];
  ssize_t n;
  while (fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, size_t(n));
  if (fd >= 0) close(fd);
  return out;
}

std::string programFolder() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path(buffer, n > 0 ? size_t(n) : 0);
  return path.substr(0, path.rfind('/') + 1);
}

// A dup shares the offset of the descriptor it came from: each listing rewinds.
DIR* listFolder(int dirFd) {
  DIR* dir = fdopendir(dup(dirFd));
  rewinddir(dir);
  return dir;
}

// Each helper file is read before it goes: only the server's own are to be deleted.
void killMatching(int dirFd, const char* pattern) {
  DIR* dir = listFolder(dirFd);
  std::vector<std::string> names;
  while (const dirent* e = readdir(dir))
    if (fnmatch(pattern, e->d_name, FNM_CASEFOLD) == 0) names.emplace_back(e->d_name);
  closedir(dir);
  char buffer[4096];
  for (const auto& n : names) {
    const int fd = openat(dirFd, n.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || read(fd, buffer, sizeof buffer) < 0) std::abort();
    close(fd);
    unlinkat(dirFd, n.c_str(), 0);
  }
}

// A new file, never an existing one, readable by all whatever the umask.
void writeAt(int dirFd, const std::string& name, const std::string& bytes) {
  const int fd =
      openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0 || fchmod(fd, 0644) != 0) std::abort();
  if (write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) std::abort();
  close(fd);
}

// The floor's pass over one folder: what the tick does, straight to the kernel.
class Floor {
 public:
  explicit Floor(const BenchFolder& folder)
      : folder_(folder),
        dirFd_(open(folder.host().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
        templ_(readAll(programFolder() + "print.txt")) {}
  ~Floor() { close(dirFd_); }
  void pass() {
    killMatching(dirFd_, "*.bat");
    killMatching(dirFd_, "*.pif");
    DIR* dir = listFolder(dirFd_);
    std::vector<std::string> names;
    while (const dirent* e = readdir(dir))
      if (fnmatch("*.ps", e->d_name, FNM_CASEFOLD) == 0) names.emplace_back(e->d_name);
    closedir(dir);
    for (const auto& name : names) {
      const std::string job = jobNameOf(name);
      const auto lines = batchLines(name, job);
      writeAt(dirFd_, job + ".bat", lines[0] + lines[1] + lines[2] + lines[3]);
      std::string launcher;
      buildLauncher(templ_, folder_.dos() + job + ".bat", launcher);
      writeAt(dirFd_, job + ".pif", launcher);
    }
  }

 private:
  const BenchFolder& folder_;
  int dirFd_;
  std::string templ_;
};

double secondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Each iteration runs one tick and one floor pass, each on its own folder of N jobs, in turn:
// the disk's journal commits and writeback stalls then fall on both alike, and their ratio holds
// on a noisy machine.
void BM_TickAgainstFloor(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  BenchFolder tickFolder("tick");
  BenchFolder floorFolder("floor");
  tickFolder.addJobs(jobs, 8192);
  floorFolder.addJobs(jobs, 8192);
  sync();  // the jobs' own writeback must not land inside the measurement
  // print.txt lies beside this program, as beside the server: the real appPath() finds it.
  memory::MemoryToolkit toolkit;
  frmMain form{toolkit};
  form.PrintingDir = tickFolder.dos();
  auto& calls = toolkit.win32_.shellCalls;
  calls.reserve(size_t(jobs));
  Floor floor(floorFolder);
  std::vector<double> ticks, floors, ratios;
  bool tickFirst = true;
  for (auto _ : state) {
    calls.clear();
    double tick = 0, direct = 0;
    // Turn about, so that neither side always follows the other's writeback.
    if (tickFirst) tick = secondsOf([&] { form.tmrPrint_Timer(); });
    direct = secondsOf([&] { floor.pass(); });
    if (!tickFirst) tick = secondsOf([&] { form.tmrPrint_Timer(); });
    tickFirst = !tickFirst;
    ticks.push_back(tick);
    floors.push_back(direct);
    ratios.push_back(tick / direct);
    state.SetIterationTime(tick + direct);
  }
  if (form.lngDocuments != jobs || int(calls.size()) != jobs || tickFolder.entries() != 3 * jobs ||
      floorFolder.entries() != 3 * jobs)
    state.SkipWithError("a job was not dispatched");
  // Medians: a stall of the disk lands on one side of one pair and moves them hardly at all.
  state.counters["tick_us_per_job"] = median(ticks) * 1e6 / jobs;
  state.counters["floor_us_per_job"] = median(floors) * 1e6 / jobs;
  state.counters["ratio"] = median(ratios);
}

// A tick over N jobs whose names share a long start, each given a short name (QUARTE~1 ...),
// against one over N short names that are their own job names; each on its own folder, in turn.
void BM_LongNamesAgainstShort(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  BenchFolder longFolder("long");
  BenchFolder shortFolder("short");
  longFolder.addJobs(jobs, 0, "Quarterly report for the board, copy %05d.ps");
  shortFolder.addJobs(jobs, 0);
  sync();
  memory::MemoryToolkit toolkit;
  frmMain longForm{toolkit}, shortForm{toolkit};
  longForm.PrintingDir = longFolder.dos();
  shortForm.PrintingDir = shortFolder.dos();
  std::vector<double> longs, shorts, ratios;
  bool longFirst = true;
  for (auto _ : state) {
    toolkit.win32_.shellCalls.clear();
    double longTick = 0, shortTick = 0;
    if (longFirst) longTick = secondsOf([&] { longForm.tmrPrint_Timer(); });
    shortTick = secondsOf([&] { shortForm.tmrPrint_Timer(); });
    if (!longFirst) longTick = secondsOf([&] { longForm.tmrPrint_Timer(); });
    longFirst = !longFirst;
    longs.push_back(longTick);
    shorts.push_back(shortTick);
    ratios.push_back(longTick / shortTick);
    state.SetIterationTime(longTick + shortTick);
  }
  if (longFolder.entries() != 3 * jobs || shortFolder.entries() != 3 * jobs)
    state.SkipWithError("a job was not dispatched");
  state.counters["long_s"] = median(longs);
  state.counters["short_s"] = median(shorts);
  state.counters["ratio"] = median(ratios);
}

BENCHMARK(BM_LongNamesAgainstShort)
    ->Arg(32000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kSecond);

BENCHMARK(BM_TickAgainstFloor)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->UseManualTime()
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
