// Scratch spool folders for the launcher's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "launch/pif_reader.h"
#include "platform/dos_path.h"

namespace launchtest {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// False where the host makes no symbolic links (Wine).
inline bool makeSymlink(const fs::path& target, const fs::path& link) {
  std::error_code error;
  fs::create_symlink(target, link, error);
  return !error;
}

// A launcher as the server builds it: a 545-byte PIF whose program field holds dosPath,
// NUL-padded, with the template's end marker after the field.
inline std::string launcherBytes(const std::string& dosPath) {
  std::string pif(545, '\0');
  pif.replace(launch::kProgramFieldOffset, dosPath.size(), dosPath);
  pif[launch::kProgramFieldOffset + launch::kProgramFieldSize] = '\x10';
  return pif;
}

// A fresh folder that is the working folder for the test's life.
class SpoolFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    // Short: the script's path must fit the launcher's 63-byte field, under any temp folder.
    dir_ = fs::temp_directory_path() / ("lptl-" + std::to_string(random() % 100000));
    fs::create_directories(dir_ / "spool");
    dir_ = fs::canonical(dir_);
    spool_ = dir_ / "spool";
    previous_ = fs::current_path();
    fs::current_path(spool_);
    // Locks and notes go to a private folder of the test's own.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    savedRuntime_ = runtime ? std::optional<std::string>(runtime) : std::nullopt;
    fs::create_directory(dir_ / "run");
    fs::permissions(dir_ / "run", fs::perms::owner_all);
    setRuntime((dir_ / "run").string().c_str());
  }
  void TearDown() override {
    setRuntime(savedRuntime_ ? savedRuntime_->c_str() : nullptr);
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string dos(const fs::path& host) {
    std::string out;
    EXPECT_TRUE(platform::toDosPath(host.string(), out));
    return out;
  }

  // Writes NAME.bat and NAME.pif as the server does and returns the launcher's name.
  std::string writeJobFiles(const std::string& name, const std::string& script) {
    writeFile(spool_ / (name + ".bat"), script);
    writeFile(spool_ / (name + ".pif"), launcherBytes(dos(spool_ / (name + ".bat"))));
    return name + ".pif";
  }

  // The server's script for a job file name that needs no quotes.
  static std::string serverScript(const std::string& job, const std::string& name) {
    return "copy " + job + " lpt1\r\ndel " + job + "\r\ndel " + name + ".bat\r\ndel " + name +
           ".pif";
  }

  fs::path dir_, spool_, previous_;
  std::optional<std::string> savedRuntime_;

 private:
  static void setRuntime(const char* value) {
#ifdef _WIN32
    _putenv_s("XDG_RUNTIME_DIR", value ? value : "");
#else
    if (value)
      setenv("XDG_RUNTIME_DIR", value, 1);
    else
      unsetenv("XDG_RUNTIME_DIR");
#endif
  }
};

}  // namespace launchtest
