// A scratch spool folder for the benchmarks: N jobs of a given size, removed with the object.
#pragma once

#include <string>

class BenchFolder {
 public:
  explicit BenchFolder(const std::string& tag);
  ~BenchFolder();
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  // Writes JOB00000.ps ... (or the names `format` gives the numbers) with `bytes` bytes each.
  void addJobs(int count, size_t bytes, const char* format = "JOB%05d.ps");
  // Host path with a trailing slash, and its DOS form with a trailing backslash.
  const std::string& host() const { return host_; }
  const std::string& dos() const { return dos_; }
  int entries() const;

 private:
  std::string host_;
  std::string dos_;
};
