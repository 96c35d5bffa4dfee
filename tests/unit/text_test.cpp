#include "text/text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_folder.h"

TEST(FText, CutsBetweenDelimiters) {
  EXPECT_EQ(FText("abc[def]ghi", "[", "]"), "def");
  EXPECT_EQ(FText("abc[def]ghi", "", "["), "abc");
  EXPECT_EQ(FText("abc[def]ghi", "]", ""), "ghi");
  EXPECT_EQ(FText("a[b]c[d]e", "[", "]"), "b");  // first occurrences win
  EXPECT_EQ(FText("[]", "[", "]"), "");
  EXPECT_EQ(FText("abc", "", ""), "abc");
  EXPECT_EQ(FText("", "", ""), "");
}

TEST(FText, EndIsSearchedOnlyAfterBegin) {
  // The command line's option relies on this: the quote before the keyword does not count.
  EXPECT_EQ(FText("x\" PRINTINGDIR=\"Z:\\s\\\" y", "PRINTINGDIR=\"", "\""), "Z:\\s\\");
}

TEST(FText, AbsentDelimiters) {
  EXPECT_EQ(FText("abc", "[", "]"), "");  // one-character begin absent: whole text searched
  EXPECT_EQ(FText("abc", "[", ""), "abc");
  EXPECT_EQ(FText("xyzabc", "#####", ""), "bc");  // taken from position 5
  EXPECT_EQ(FText("ab", "#####", ""), "");        // position past the end
  EXPECT_EQ(FText("abc", "", "]"), "");
}

TEST(IsText, ExactContainment) {
  EXPECT_TRUE(isText("abc", ""));
  EXPECT_FALSE(isText("", "a"));
  EXPECT_FALSE(isText("", ""));
  EXPECT_FALSE(isText("ABC", "b"));
  EXPECT_TRUE(isText("ABC", "BC"));
}

TEST(GetXFolder, Levels) {
  EXPECT_EQ(getXFolder("C:\\SPOOL\\JOBS\\", 0), "C:\\SPOOL\\");
  EXPECT_EQ(getXFolder("C:\\SPOOL\\JOBS\\", 1), "C:\\SPOOL\\JOBS\\");
  EXPECT_EQ(getXFolder("C:\\SPOOL\\JOBS\\", 2), "");
  EXPECT_EQ(getXFolder("C:\\SPOOL\\JOBS\\", -1), "");
  // A last name without its backslash never becomes a level of its own.
  EXPECT_EQ(getXFolder("C:\\A\\B", 0), "C:\\A\\");
  EXPECT_EQ(getXFolder("C:\\A\\B", 1), "C:\\A\\");
  EXPECT_EQ(getXFolder("C:\\A\\B", 2), "");
  EXPECT_EQ(getXFolder("C:\\", 0), "");
  EXPECT_EQ(getXFolder("", 0), "");
}

TEST(MkDirX, CreatesEveryMissingLevel) {
  TempFolder temp;
  MkDirX(temp.dos() + "a\\b\\c\\");
  EXPECT_TRUE(std::filesystem::is_directory(temp.path("a/b/c")));
  MkDirX(temp.dos() + "a\\b\\c\\");  // all levels exist: every request fails, quietly
  MkDirX(temp.dos() + "x\\y");       // the last level has no backslash: it is not created
  EXPECT_TRUE(std::filesystem::is_directory(temp.path("x")));
  EXPECT_FALSE(std::filesystem::exists(temp.path("x/y")));
  MkDirX("C:\\nowhere\\");  // no such drive here
  MkDirX("");
}
