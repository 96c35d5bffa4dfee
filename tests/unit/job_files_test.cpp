#include "spool/job_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "spool/job_names.h"
#include "temp_folder.h"

namespace {

std::string joined(const std::array<std::string, 4>& lines) {
  return lines[0] + lines[1] + lines[2] + lines[3];
}

std::string bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

}  // namespace

TEST(BatchScript, FourLinesByteForByte) {
  EXPECT_EQ(jobNameOf("a.b.ps"), "abps");
  EXPECT_EQ(joined(batchLines("a.b.ps", "abps")),
            "copy a.b.ps lpt1\r\ndel a.b.ps\r\ndel abps.bat\r\ndel abps.pif");
  // Non-ASCII bytes are plain characters of the name.
  EXPECT_EQ(batchLines("r\xE4kning.ps", "r\xE4kningps")[0], "copy r\xE4kning.ps lpt1\r\n");
}

TEST(BatchScript, NamesThatNeedQuotes) {
  EXPECT_EQ(joined(batchLines("my report.ps", "my reportps")),
            "copy \"my report.ps\" lpt1\r\ndel \"my report.ps\"\r\n"
            "del \"my reportps.bat\"\r\ndel \"my reportps.pif\"");
  EXPECT_EQ(scriptName("100%.ps"), "\"100%%.ps\"");
  for (const char* name :
       {"a&b.ps", "a|b.ps", "a<b.ps", "a>b.ps", "a^b.ps", "a(b).ps", "a,b.ps", "a;b.ps", "a=b.ps"})
    EXPECT_EQ(scriptNameForm(name), ScriptName::Quoted) << name;
  for (const char* name : {"plain.ps", "Invoice.2.ps", "a!b.ps", "a'b.ps", "a~1.ps"})
    EXPECT_EQ(scriptNameForm(name), ScriptName::Bare) << name;
  for (const char* name : {"a\"b.ps", "a\\b.ps", "a/b.ps", "a\nb.ps", "a\rb.ps", "a\tb.ps", ""})
    EXPECT_EQ(scriptNameForm(name), ScriptName::Unusable) << name;
}

TEST(Launcher, TemplateEdgeCases) {
  const std::string target = "C:\\S\\j.bat";  // 10 bytes
  // Field of 4: the target does not fit and the launcher is left alone.
  const std::string small = bytes({'A', 'B', 9, 'x', 'x', 'x', 'x', 0x10, 'P', 'Q'});
  std::string launcher = "before";
  EXPECT_FALSE(buildLauncher(small, target, launcher));
  EXPECT_EQ(launcher, "before");

  // Field of 20: target, 11 NUL bytes, DLE, tail; as long as the template.
  const std::string wide = "AB\t" + std::string(20, 'x') + "\x10PQ";
  ASSERT_TRUE(buildLauncher(wide, target, launcher));
  EXPECT_EQ(launcher, "AB" + target + std::string(11, '\0') + "\x10PQ");
  EXPECT_EQ(launcher.size(), wide.size());

  // No TAB: everything before the first DLE is the field; one byte longer than the template.
  const std::string noTab = std::string(20, 'y') + "\x10Z";
  ASSERT_TRUE(buildLauncher(noTab, target, launcher));
  EXPECT_EQ(launcher, target + std::string(11, '\0') + "\x10Z");

  // A TAB with no DLE after it, or no markers at all: nothing fits.
  EXPECT_FALSE(buildLauncher("AB\tcdef", target, launcher));
  EXPECT_FALSE(buildLauncher("plain", target, launcher));
  EXPECT_EQ(launcherFieldRoom(wide), 21u);
  EXPECT_EQ(launcherFieldRoom("plain"), 1u);
}

TEST(Launcher, ShortJobNames) {
  EXPECT_EQ(shortJobName("Quarterly report for the boardps", 1), "QUARTE~1");
  EXPECT_EQ(shortJobName("abps", 2), "ABPS~2");
  EXPECT_EQ(shortJobName("a b&cps", 12), "ABCPS~12");
  EXPECT_EQ(shortJobName("\xE5\xE4\xF6ps", 1), "PS~1");
  EXPECT_EQ(shortJobName("\xE5\xE4\xF6", 1), "JOB~1");
  EXPECT_LE(shortJobName("Quarterly report for the boardps", 1234567).size(), 9u);
}

// The shipped template is generated; the checked-in copy must be what the generator writes, and
// a launcher made from it must carry the script where the launcher reader looks (the program
// field at 0x24, 63 bytes). Checked where the generator is built.
#ifdef LPTSPOOL_TOOLS_DIR
TEST(ShippedTemplate, IsTheGeneratedPif) {
  TempFolder temp;
  const std::string command =
      std::string(LPTSPOOL_TOOLS_DIR) + "/make_print_txt " + temp.path("print.txt");
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(std::string(LPTSPOOL_SOURCE_DIR) + "/data/print.txt", std::ios::binary);
  const std::string shipped((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(temp.read("print.txt"), shipped);

  ASSERT_EQ(shipped.size(), 0x171u + 22);
  EXPECT_EQ(shipped.substr(0x171, 16), std::string("MICROSOFT PIFEX\0", 16));
  unsigned sum = 0;
  for (size_t i = 2; i <= 0x170; ++i) sum += static_cast<unsigned char>(shipped[i]);
  EXPECT_EQ(static_cast<unsigned char>(shipped[1]), sum & 0xFF);
  EXPECT_EQ(launcherFieldRoom(shipped), 63u);

  std::string launcher;
  const std::string target = "Z:\\home\\me\\spool\\REPORTPS.bat";
  ASSERT_TRUE(buildLauncher(shipped, target, launcher));
  EXPECT_EQ(launcher.size(), shipped.size());
  EXPECT_EQ(launcher.substr(0x24, target.size()), target);
  EXPECT_EQ(launcher.substr(0x63), shipped.substr(0x63));
  EXPECT_EQ(launcher.substr(0, 0x24), shipped.substr(0, 0x24));
}
#endif

TEST(JobNames, ManyNamesWithOneStartStayDistinctAndLinear) {
  // Two starts that part at the sixth letter share their names from ~10 on (QUART~10).
  JobNames names;
  std::set<std::string> given;
  const int jobs = 32000;
  for (int i = 0; i < jobs; ++i) {
    const std::string jobName =
        (i % 2 ? "Quartz " : "Quarterly report ") + std::to_string(i) + "ps";
    const std::string name = names.nextShort(jobName);
    ASSERT_LE(name.size(), 8u) << i;
    ASSERT_TRUE(given.insert(name).second) << name;
  }
  // A few looks per job, whatever came before it; restarting at ~1 would take millions.
  EXPECT_LE(names.examined(), 6u * jobs);
  EXPECT_EQ(names.own("abps"), "abps");
  EXPECT_EQ(names.own("abps"), "");
}
