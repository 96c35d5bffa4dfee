// --check on a command printer: it names the command as written and looks its program up the way
// the launcher does, on both hosts.
#include "app/printer_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "temp_folder.h"
#include "ui_text/ui_text.h"

namespace {

#ifdef _WIN32
const char* const kShell = "cmd";
#else
const char* const kShell = "sh";
#endif

TEST(PrinterCheck, ACommandIsNamedAsWrittenAndItsProgramLookedUp) {
  const std::string found = std::string(kShell) + " /c exit";
  PrinterCheck check = checkPrinter(std::string("|" + found), std::nullopt, "");
  EXPECT_EQ(check.printer, "the command " + found);
  EXPECT_TRUE(check.works) << check.problem;

  check = checkPrinter(std::string("|  lptspool-no-such-program -d office"), std::nullopt, "");
  EXPECT_EQ(check.printer, "the command   lptspool-no-such-program -d office");
  EXPECT_FALSE(check.works);
  EXPECT_EQ(check.problem, "lptspool-no-such-program: command not found");
}

#ifndef _WIN32
// A printer folder named with a trailing '/' is made at the first job, unless a file or device, or
// no folder we may write, stands where it goes.
TEST(PrinterCheck, AFolderToBeMadeWorksOnlyWhereOneCanBe) {
  using uitext::T;
  TempFolder dir;
  dir.write("file", "");
  struct Case {
    std::string printer, problem, cause;
  };
  const std::string file = dir.path("file");
  const Case cases[] = {
      {dir.path("new/deeper/"), "the folder is created at the first job", ""},
      {file + "/", file + ": Not a directory (a file takes jobs when named without the trailing /)",
       uitext::text(T::CausePrinterIsFile, {file, "/"})},
      {file + "//",
       file + ": Not a directory (a file takes jobs when named without the trailing /)",
       uitext::text(T::CausePrinterIsFile, {file, "/"})},
      {"/dev/null/",
       "/dev/null: Not a directory (a file takes jobs when named without the trailing /)",
       uitext::text(T::CausePrinterIsFile, {"/dev/null", "/"})},
      {file + "/sub/", file + ": Not a directory",
       uitext::text(T::CausePrinterFolderNotMade, {file + "/sub/"})},
  };
  for (const Case& c : cases) {
    const PrinterCheck check = checkPrinter(c.printer, std::nullopt, dir.host());
    EXPECT_EQ(check.works, c.cause.empty()) << c.printer;
    EXPECT_EQ(check.printer, "the folder " + c.printer);
    EXPECT_EQ(check.problem, c.problem);
    EXPECT_EQ(check.cause, c.cause);
  }
}
#endif

}  // namespace
