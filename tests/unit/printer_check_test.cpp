// --check on a command printer: it names the command as written and looks its program up the way
// the launcher does, on both hosts.
#include "app/printer_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

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

}  // namespace
