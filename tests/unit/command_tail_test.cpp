// The command line as Windows passes it: every way a Windows user starts the server gives the
// quoted option start-up reads.
#include <gtest/gtest.h>

#include "platform/process.h"

TEST(CommandTailTest, EveryWindowsSpellingOfTheOptionComesOutQuoted) {
  const std::pair<const char*, const char*> cases[] = {
      // The installer's Run value and shortcut, and cmd with the folder quoted.
      {R"("C:\Program Files\lptspool\lptspool.exe" PRINTINGDIR="C:\SPOOL")",
       R"(PRINTINGDIR="C:\SPOOL")"},
      {R"(lptspool.exe PRINTINGDIR="C:\Jobs\")", R"(PRINTINGDIR="C:\Jobs\")"},
      // cmd without quotes, in any case, with other words around it.
      {R"(lptspool PRINTINGDIR=C:\Jobs)", R"(PRINTINGDIR="C:\Jobs")"},
      {"lptspool.exe\t--queue printingdir=c:\\jobs\\  x", R"(--queue printingdir="c:\jobs\"  x)"},
      // The whole argument quoted, as for a folder with a blank.
      {R"(lptspool "PRINTINGDIR=C:\Program Files\Jobs" --check)",
       R"(PRINTINGDIR="C:\Program Files\Jobs" --check)"},
      // Nothing to give quotes to.
      {R"(lptspool PRINTINGDIR= C:\Jobs)", R"(PRINTINGDIR= C:\Jobs)"},
      {R"(lptspool XPRINTINGDIR=C:\Jobs)", R"(XPRINTINGDIR=C:\Jobs)"},
      {"lptspool.exe", ""},
      {R"("C:\a b\lptspool.exe")", ""},
      {"", ""},
  };
  for (const auto& [line, tail] : cases) EXPECT_EQ(platform::commandTailOf(line), tail) << line;
}
