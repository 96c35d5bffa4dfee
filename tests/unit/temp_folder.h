// A fresh temporary folder per test, known by its host and its DOS path.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/dos_path.h"

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    std::filesystem::path folder;
    do {
      folder = std::filesystem::temp_directory_path() /
               ("lpt-" + std::to_string(random() % 1000000));  // short: a job's path must fit
    } while (!std::filesystem::create_directory(folder));
    host_ = folder.string();
    platform::toDosPath((folder / "").string(), dos_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(host_, ignored);
  }
  const std::string& host() const { return host_; }
  const std::string& dos() const { return dos_; }  // ends in a backslash
  std::string path(const std::string& name) const {
    return (std::filesystem::path(host_) / name).string();
  }

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
