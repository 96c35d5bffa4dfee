#include "bench_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/dos_path.h"

namespace fs = std::filesystem;

BenchFolder::BenchFolder(const std::string& tag) {
  std::string pattern =
      (fs::temp_directory_path() / ("lptspool-bench-" + tag + ".XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  host_ = pattern + "/";
  if (!platform::toDosPath(host_, dos_)) throw std::runtime_error("no DOS path for " + host_);
}

BenchFolder::~BenchFolder() {
  std::error_code ignored;
  fs::remove_all(host_, ignored);
}

void BenchFolder::addJobs(int count, size_t bytes, const char* format) {
  const std::string body(bytes, 'x');
  for (int i = 0; i < count; ++i) {
    char name[256];
    std::snprintf(name, sizeof name, format, i);
    std::ofstream(host_ + name, std::ios::binary) << body;
  }
}

int BenchFolder::entries() const {
  int n = 0;
  for (auto it = fs::directory_iterator(host_); it != fs::directory_iterator(); ++it) ++n;
  return n;
}
