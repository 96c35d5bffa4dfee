// A fresh temporary folder per test, known by its host and its DOS path.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/dos_path.h"

class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "lptspool-test-XXXXXX").string();
    host_ = mkdtemp(pattern.data());
    platform::toDosPath(host_ + "/", dos_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(host_, ignored);
  }
  const std::string& host() const { return host_; }
  const std::string& dos() const { return dos_; }  // ends in a backslash
  std::string path(const std::string& name) const { return host_ + "/" + name; }

  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool exists(const std::string& name) const {
    return std::filesystem::exists(std::filesystem::symlink_status(path(name)));
  }

 private:
  std::string host_;
  std::string dos_;
};
