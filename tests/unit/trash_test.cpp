// The home trash: a removed job lands in the user's own trash with a note that puts it back,
// whatever is missing on the way, and never anywhere else.
#include "platform/trash.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

// HOME, XDG_DATA_HOME and the working folder as a test sets them, restored afterwards.
class Trash : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_DATA_HOME"})
      if (const char* value = std::getenv(name)) saved_[name] = value;
    cwd_ = fs::current_path();
    fs::create_directory(root_.path("home"));
    fs::create_directory(root_.path("spool"));
    fs::create_directory(root_.path("cwd"));
    fs::current_path(root_.path("cwd"));
    setenv("HOME", root_.path("home").c_str(), 1);
    unsetenv("XDG_DATA_HOME");
  }
  void TearDown() override {
    fs::current_path(cwd_);
    for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
      if (saved_.count(name))
        setenv(name, saved_[name].c_str(), 1);
      else
        unsetenv(name);
    }
  }
  bool trash(const std::string& name) {
    std::string error;
    const bool ok = platform::moveToTrash(root_.path("spool"), name, error);
    if (!ok) error_ = error;
    return ok;
  }
  bool cwdEmpty() const { return fs::is_empty(root_.path("cwd")); }

  TempFolder root_;
  std::string error_;

 private:
  std::map<std::string, std::string> saved_;
  fs::path cwd_;
};

TEST_F(Trash, WithoutLocalShareTheHomeTrashIsMadeAndTheJobCanBePutBack) {
  root_.write("spool/A B%.PS", "first");
  ASSERT_TRUE(trash("A B%.PS")) << error_;
  const std::string trashFolder = root_.path("home/.local/share/Trash");
  EXPECT_FALSE(root_.exists("spool/A B%.PS"));
  EXPECT_EQ(root_.read("home/.local/share/Trash/files/A B%.PS"), "first");
  const std::string info = root_.read("home/.local/share/Trash/info/A B%.PS.trashinfo");
  EXPECT_NE(info.find("[Trash Info]\nPath=" + fs::canonical(root_.path("spool")).string() +
                      "/A%20B%25.PS\nDeletionDate="),
            std::string::npos)
      << info;
  EXPECT_EQ(fs::status(trashFolder).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_TRUE(cwdEmpty());

  // The same name again: the first stays in the trash, the second beside it.
  root_.write("spool/A B%.PS", "second");
  ASSERT_TRUE(trash("A B%.PS")) << error_;
  EXPECT_EQ(root_.read("home/.local/share/Trash/files/A B%.PS"), "first");
  EXPECT_EQ(root_.read("home/.local/share/Trash/files/A B%.PS.2"), "second");
  EXPECT_TRUE(root_.exists("home/.local/share/Trash/info/A B%.PS.2.trashinfo"));

  // A file in the trash whose note was lost is not overwritten either.
  root_.write("home/.local/share/Trash/files/C.PS", "orphan");
  root_.write("spool/C.PS", "job");
  ASSERT_TRUE(trash("C.PS")) << error_;
  EXPECT_EQ(root_.read("home/.local/share/Trash/files/C.PS"), "orphan");
  EXPECT_EQ(root_.read("home/.local/share/Trash/files/C.PS.2"), "job");
}

TEST_F(Trash, XdgDataHomeIsUsedWhenAbsoluteAndARelativeOneNever) {
  root_.write("spool/A.PS", "a");
  setenv("XDG_DATA_HOME", root_.path("data").c_str(), 1);
  ASSERT_TRUE(trash("A.PS")) << error_;
  EXPECT_TRUE(root_.exists("data/Trash/files/A.PS"));

  root_.write("spool/B.PS", "b");
  setenv("XDG_DATA_HOME", "rel", 1);
  ASSERT_TRUE(trash("B.PS")) << error_;
  EXPECT_TRUE(root_.exists("home/.local/share/Trash/files/B.PS"));
  EXPECT_TRUE(cwdEmpty());
}

TEST_F(Trash, NamesThatAreNoFileOfTheFolderAreRefused) {
  root_.write("spool/A.PS", "a");
  for (const char* name : {"", ".", "..", "../spool/A.PS", "MISSING.PS"}) {
    EXPECT_FALSE(trash(name)) << name;
    EXPECT_FALSE(error_.empty());
  }
  EXPECT_TRUE(root_.exists("spool/A.PS"));
  EXPECT_FALSE(root_.exists("home/.local/share/Trash/files/A.PS"));
}

}  // namespace
