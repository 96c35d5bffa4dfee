// What the run script cannot measure well from the shell:
//   bench_probe run CMD [ARG...]         wall time and peak resident memory of one process
//   bench_probe watch SPOOL SINK N [1]   from the first helper file a tick writes in SPOOL until N
//                                        jobs have landed in SINK and SPOOL is empty; with 1, also
//                                        the peak number of live lptspool-launch processes and
//                                        their summed resident (RSS) and proportional (PSS) memory
//   bench_probe idle PID SECONDS         CPU time and wake-ups of a process (all its threads)
//                                        over SECONDS, once its start-up threads have gone
//   bench_probe hwm PID                  peak resident memory of a running process
//   bench_probe prepare FOLDER JOB       the job's batch script and launcher, as a tick writes them
//   bench_probe drops SPOOL SINK N SECS  writes N jobs of 8 KiB straight into SPOOL at random
//                                        moments over SECS seconds; the median and longest time
//                                        from a job's close until it lands in SINK
//   bench_probe peak PID SECONDS         the most lptspool-launch children of PID alive at once,
//                                        and with their own lptspool-launch children (senders)
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/dos_path.h"
#include "spool/job_files.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Visible entries of a folder; -1 when it cannot be read.
long countEntries(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return -1;
  long n = 0;
  while (const dirent* e = readdir(dir))
    if (e->d_name[0] != '.') ++n;
  closedir(dir);
  return n;
}

long statusField(const std::string& file, const char* key) {
  std::ifstream in(file);
  std::string line;
  const size_t length = std::strlen(key);
  while (std::getline(in, line))
    if (line.compare(0, length, key) == 0) return std::atol(line.c_str() + length + 1);
  return 0;
}

int run(char** argv) {
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  const double wall = secondsSince(start);
  std::printf("wall_s %.4f maxrss_kib %ld status %d\n", wall, usage.ru_maxrss,
              WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

struct Launchers {
  long count = 0, rssKib = 0, pssKib = 0;
};

Launchers sampleLaunchers() {
  Launchers l;
  DIR* proc = opendir("/proc");
  while (const dirent* e = readdir(proc)) {
    if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
    const std::string base = std::string("/proc/") + e->d_name;
    std::ifstream comm(base + "/comm");
    std::string name;
    if (!std::getline(comm, name) || name != "lptspool-launch") continue;
    ++l.count;
    l.rssKib += statusField(base + "/status", "VmRSS");
    l.pssKib += statusField(base + "/smaps_rollup", "Pss");
  }
  closedir(proc);
  return l;
}

int peak(const std::string& pid, int seconds) {
  // A launcher writing to the printer does so from a sender process of its own, with its name.
  const auto start = Clock::now();
  long most = 0, mostAll = 0;
  while (secondsSince(start) < seconds) {
    std::map<std::string, std::string> parents;  // lptspool-launch processes by pid
    DIR* proc = opendir("/proc");
    while (const dirent* e = readdir(proc)) {
      if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
      const std::string base = std::string("/proc/") + e->d_name;
      std::ifstream comm(base + "/comm");
      std::string name;
      if (std::getline(comm, name) && name == "lptspool-launch")
        parents[e->d_name] = std::to_string(statusField(base + "/status", "PPid"));
    }
    closedir(proc);
    long launchers = 0, senders = 0;
    for (const auto& [child, parent] : parents) {
      if (parent == pid) ++launchers;
      const auto up = parents.find(parent);
      if (up != parents.end() && up->second == pid) ++senders;
    }
    most = std::max(most, launchers);
    mostAll = std::max(mostAll, launchers + senders);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::printf("peak_launchers %ld peak_with_senders %ld\n", most, mostAll);
  return 0;
}

int watch(const std::string& spool, const std::string& sink, long jobs, bool sample) {
  const int fd = inotify_init1(IN_CLOEXEC);
  if (fd < 0 || inotify_add_watch(fd, spool.c_str(), IN_CREATE) < 0) return perror("inotify"), 1;
  // The tick's first visible act is the first batch script it writes.
  alignas(inotify_event) char buffer[65536];
  bool seen = false;
  while (!seen) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return perror("inotify read"), 1;
    for (ssize_t at = 0; at < n;) {
      const auto* ev = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string name = ev->len ? ev->name : "";
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bat") == 0) seen = true;
      at += ssize_t(sizeof(inotify_event) + ev->len);
    }
  }
  const auto start = Clock::now();
  close(fd);
  Launchers peak;
  auto lastSample = Clock::now() - std::chrono::seconds(1);
  while (secondsSince(start) < 600) {
    if (sample && Clock::now() - lastSample > std::chrono::milliseconds(20)) {
      lastSample = Clock::now();
      const Launchers now = sampleLaunchers();
      peak.count = std::max(peak.count, now.count);
      peak.rssKib = std::max(peak.rssKib, now.rssKib);
      peak.pssKib = std::max(peak.pssKib, now.pssKib);
    }
    if (countEntries(sink) >= jobs && countEntries(spool) == 0) {
      std::printf("elapsed_s %.4f peak_launchers %ld peak_rss_kib %ld peak_pss_kib %ld\n",
                  secondsSince(start), peak.count, peak.rssKib, peak.pssKib);
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(sample ? 2 : 5));
  }
  std::fprintf(stderr, "bench_probe: jobs did not all land: sink %ld, spool %ld\n",
               countEntries(sink), countEntries(spool));
  return 1;
}

struct Thread {
  long long cpuNs = 0;
  long wakeups = 0;
};

// Every thread of the process by its id.
std::map<std::string, Thread> threadsOf(const std::string& pid) {
  std::map<std::string, Thread> threads;
  const std::string tasks = "/proc/" + pid + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (!dir) return threads;
  while (const dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    const std::string base = tasks + "/" + e->d_name;
    Thread& t = threads[e->d_name];
    std::ifstream(base + "/schedstat") >> t.cpuNs;
    // A thread that blocked and was woken again; preemptions are not wake-ups.
    t.wakeups = statusField(base + "/status", "voluntary_ctxt_switches");
  }
  closedir(dir);
  return threads;
}

int idle(const std::string& pid, int seconds) {
  // Qt lets the helper threads it used at start-up go after 30 idle seconds: the window starts
  // once they are gone, so it shows the server as it idles all day.
  const auto start = Clock::now();
  while (threadsOf(pid).size() > 1 && secondsSince(start) < 45)
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const double settled = secondsSince(start);
  const auto before = threadsOf(pid);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const auto after = threadsOf(pid);
  if (after.empty()) return std::fprintf(stderr, "bench_probe: %s is gone\n", pid.c_str()), 1;
  long long cpuNs = 0;
  long wakeups = 0;
  for (const auto& [tid, now] : after) {
    const auto was = before.find(tid);
    cpuNs += now.cpuNs - (was == before.end() ? 0 : was->second.cpuNs);
    wakeups += now.wakeups - (was == before.end() ? 0 : was->second.wakeups);
  }
  // A thread that ended meanwhile woke at least once to do so; its last figures are lost.
  for (const auto& entry : before)
    if (!after.count(entry.first)) ++wakeups;
  std::printf("cpu_s %.4f wakeups %ld threads %zu settled_s %.1f vmhwm_kib %ld\n",
              double(cpuNs) / 1e9, wakeups, after.size(), settled,
              statusField("/proc/" + pid + "/status", "VmHWM"));
  return 0;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

int prepare(const std::string& given, const std::string& job) {
  char* real = realpath(given.c_str(), nullptr);
  if (!real) return perror(given.c_str()), 1;
  std::string folder = std::string(real) + "/";
  std::free(real);
  std::string dos, self(4096, '\0');
  self.resize(size_t(std::max<ssize_t>(0, readlink("/proc/self/exe", self.data(), self.size()))));
  const std::string templ = readAll(self.substr(0, self.rfind('/') + 1) + "print.txt");
  const std::string name = jobNameOf(job);
  std::string launcher;
  if (!platform::toDosPath(folder, dos) || !buildLauncher(templ, dos + name + ".bat", launcher))
    return std::fprintf(stderr, "bench_probe: no launcher for %s\n", job.c_str()), 1;
  const auto lines = batchLines(job, name);
  std::ofstream(folder + name + ".bat", std::ios::binary)
      << lines[0] << lines[1] << lines[2] << lines[3];
  std::ofstream(folder + name + ".pif", std::ios::binary) << launcher;
  std::printf("%s.pif\n", name.c_str());
  return 0;
}

// Whether SINK holds a file for the job (a folder printer names it TIME-JOB).
bool landed(const std::string& sink, const std::string& job) {
  DIR* dir = opendir(sink.c_str());
  if (!dir) return false;
  bool found = false;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() > job.size() && name.compare(name.size() - job.size(), job.size(), job) == 0 &&
        name[name.size() - job.size() - 1] == '-')
      found = true;
  }
  closedir(dir);
  return found;
}

int drops(const std::string& spool, const std::string& sink, int jobs, double spread) {
  std::mt19937 random(std::random_device{}());
  std::uniform_real_distribution<double> moment(0, spread);
  std::vector<double> at(size_t(jobs), 0), closed(size_t(jobs), -1), waited;
  for (double& t : at) t = moment(random);
  std::sort(at.begin(), at.end());
  const std::string bytes(8192, 'x');
  const auto start = Clock::now();
  int next = 0;
  while (int(waited.size()) < jobs && secondsSince(start) < spread + 60) {
    if (next < jobs && secondsSince(start) >= at[size_t(next)]) {
      // Written in place, as a program printing to the folder does.
      std::ofstream(spool + "/DROP" + std::to_string(next) + ".ps", std::ios::binary) << bytes;
      closed[size_t(next++)] = secondsSince(start);
    }
    for (int i = 0; i < next; ++i)
      if (closed[size_t(i)] >= 0 && landed(sink, "DROP" + std::to_string(i) + ".ps")) {
        waited.push_back(secondsSince(start) - closed[size_t(i)]);
        closed[size_t(i)] = -1;
      }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (int(waited.size()) < jobs)
    return std::fprintf(stderr, "bench_probe: %zu of %d jobs landed\n", waited.size(), jobs), 1;
  std::sort(waited.begin(), waited.end());
  const double median = jobs % 2 ? waited[size_t(jobs / 2)]
                                 : (waited[size_t(jobs / 2 - 1)] + waited[size_t(jobs / 2)]) / 2;
  std::printf("median_s %.2f max_s %.2f min_s %.2f\n", median, waited.back(), waited.front());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "run" && argc > 2) return run(argv + 2);
  if (command == "watch" && argc > 4)
    return watch(argv[2], argv[3], std::atol(argv[4]), argc > 5 && argv[5][0] == '1');
  if (command == "idle" && argc > 3) return idle(argv[2], std::atoi(argv[3]));
  if (command == "hwm" && argc > 2) {
    std::printf("vmhwm_kib %ld\n",
                statusField(std::string("/proc/") + argv[2] + "/status", "VmHWM"));
    return 0;
  }
  if (command == "prepare" && argc > 3) return prepare(argv[2], argv[3]);
  if (command == "drops" && argc > 5)
    return drops(argv[2], argv[3], std::atoi(argv[4]), std::atof(argv[5]));
  if (command == "peak" && argc > 3) return peak(argv[2], std::atoi(argv[3]));
  std::fprintf(stderr, "usage: see the top of bench/probe.cpp\n");
  return 2;
}
