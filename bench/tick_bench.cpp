// One spool tick over N waiting jobs, in process, with ShellExecuteA recorded instead of run,
// against the floor: the same file work done directly with POSIX calls (enumerate the jobs, the
// two sweeps by pattern, the two helper files per job). Each iteration starts from the state the
// previous one left, so both sweep the helper files of the iteration before, as a running server
// sweeps those of the tick before.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include <array>
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

void BM_Tick(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  BenchFolder folder("tick");
  folder.addJobs(jobs, 8192);
  sync();  // the jobs' own writeback must not land inside the measurement
  // print.txt lies beside this program, as beside the server: the real appPath() finds it.
  memory::MemoryToolkit toolkit;
  frmMain form{toolkit};
  form.PrintingDir = folder.dos();
  auto& calls = toolkit.win32_.shellCalls;
  calls.reserve(size_t(jobs));
  for (auto _ : state) {
    calls.clear();
    form.tmrPrint_Timer();
  }
  if (form.lngDocuments != jobs || int(calls.size()) != jobs || folder.entries() != 3 * jobs)
    state.SkipWithError("the tick did not dispatch every job");
  state.SetItemsProcessed(state.iterations() * jobs);
}

// A dup shares the offset of the descriptor it came from: each listing rewinds.
DIR* listFolder(int dirFd) {
  DIR* dir = fdopendir(dup(dirFd));
  rewinddir(dir);
  return dir;
}

void killMatching(int dirFd, const char* pattern) {
  DIR* dir = listFolder(dirFd);
  std::vector<std::string> names;
  while (const dirent* e = readdir(dir))
    if (fnmatch(pattern, e->d_name, FNM_CASEFOLD) == 0) names.emplace_back(e->d_name);
  closedir(dir);
  for (const auto& n : names) unlinkat(dirFd, n.c_str(), 0);
}

void writeAt(int dirFd, const std::string& name, const std::string& bytes) {
  const int fd = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) std::abort();
  close(fd);
}

void BM_Floor(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  BenchFolder folder("floor");
  folder.addJobs(jobs, 8192);
  sync();  // the jobs' own writeback must not land inside the measurement
  const int dirFd = open(folder.host().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::string templ = readAll(programFolder() + "print.txt");
  for (auto _ : state) {
    killMatching(dirFd, "*.bat");
    killMatching(dirFd, "*.pif");
    DIR* dir = listFolder(dirFd);
    std::vector<std::string> names;
    while (const dirent* e = readdir(dir))
      if (fnmatch("*.ps", e->d_name, FNM_CASEFOLD) == 0) names.emplace_back(e->d_name);
    closedir(dir);
    for (const auto& name : names) {
      const std::string job = jobNameOf(name);
      const auto lines = batchLines(name, job);
      writeAt(dirFd, job + ".bat", lines[0] + lines[1] + lines[2] + lines[3]);
      std::string launcher;
      buildLauncher(templ, folder.dos() + job + ".bat", launcher);
      writeAt(dirFd, job + ".pif", launcher);
    }
  }
  close(dirFd);
  if (folder.entries() != 3 * jobs) state.SkipWithError("the floor did not write every file");
  state.SetItemsProcessed(state.iterations() * jobs);
}

BENCHMARK(BM_Tick)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
