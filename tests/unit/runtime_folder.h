// A private XDG_RUNTIME_DIR for the test, so that job states and locks stay in the test's tree.
// Windows keeps no job states yet: there the fixture changes nothing.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "temp_folder.h"

class RuntimeFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    hadRuntime_ = old != nullptr;
    saved_ = old ? old : "";
    chmod(runtime.host().c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.host().c_str(), 1);
#endif
  }
  void TearDown() override {
#ifndef _WIN32
    if (hadRuntime_)
      setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1);
    else
      unsetenv("XDG_RUNTIME_DIR");
#endif
  }
  TempFolder runtime;

 private:
  std::string saved_;
  bool hadRuntime_ = false;
};
