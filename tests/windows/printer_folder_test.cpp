// A printer path ending in '\' or '/' names a folder on Windows too: --check and the server's
// check say what the launcher will do with it, and the launcher makes a missing one but never
// takes a file of that name, or a relative one, for the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "../unit/temp_folder.h"
#include "app/printer_check.h"
#include "platform/launch_sink.h"
#include "ui_text/ui_text.h"

namespace {

using uitext::T;

TEST(PrinterFolder, AFolderNamedWithATrailingSeparatorIsMadeOnlyWhereOneCanBe) {
  TempFolder dir;
  dir.write("file", "earlier jobs");
  const std::string file = dir.path("file");
  const std::string isFile = file + ": not a folder";
  const std::string useFile = " (a file takes jobs when named without the trailing \\)";
  struct Case {
    std::string printer, problem, cause, made;  // made: the folder the job goes to, if any
  };
  const Case cases[] = {
      {dir.path("new\\deeper\\"), "the folder is created at the first job", "",
       dir.path("new\\deeper")},
      {dir.path("made/"), "the folder is created at the first job", "", dir.path("made")},
      {file + "\\", isFile + useFile, uitext::text(T::CausePrinterIsFile, {file, "\\"}), ""},
      {file + "/", isFile + useFile, uitext::text(T::CausePrinterIsFile, {file, "/"}), ""},
      {file + "\\\\", isFile + useFile, uitext::text(T::CausePrinterIsFile, {file, "\\"}), ""},
      {file + "\\sub\\", isFile, uitext::text(T::CausePrinterFolderNotMade, {file + "\\sub\\"}),
       ""},
      {"lpt-relative\\", "lpt-relative\\: not an absolute path",
       uitext::text(T::CausePrinterFolderNotMade, {"lpt-relative\\"}), ""},
      {"C:lpt-relative\\", "C:lpt-relative\\: not an absolute path",
       uitext::text(T::CausePrinterFolderNotMade, {"C:lpt-relative\\"}), ""},
  };
  for (const Case& c : cases) {
    const PrinterCheck check = checkPrinter(c.printer, std::nullopt, dir.host());
    EXPECT_EQ(check.works, c.cause.empty()) << c.printer;
    EXPECT_EQ(check.printer, "the folder " + c.printer);
    EXPECT_EQ(check.problem, c.problem);
    EXPECT_EQ(check.cause, c.cause);

    std::string error;
    const bool opened = platform::openPathSink(c.printer, "JOB.PS", error) != nullptr;
    EXPECT_EQ(opened, !c.made.empty()) << c.printer << ": " << error;
    if (!c.made.empty()) {
      EXPECT_TRUE(std::filesystem::is_directory(c.made)) << c.printer;
    }
    if (!opened) {
      EXPECT_EQ(error, c.problem.substr(0, c.problem.find(" ("))) << c.printer;
    }
  }
  // Nothing written into the file, and nothing made in the current folder.
  EXPECT_EQ(dir.read("file"), "earlier jobs");
  EXPECT_FALSE(std::filesystem::exists("lpt-relative"));
}

}  // namespace
