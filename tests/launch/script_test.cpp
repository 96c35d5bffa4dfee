// The launcher's program field and the batch script: what is run, and what is refused.
#include "launch/script.h"

#include <gtest/gtest.h>

#include "launch/pif_reader.h"
#include "launch_test_support.h"

namespace launch {
namespace {

using Command = ScriptLine::Command;

TEST(LauncherReader, ReadsThePathUpToItsNul) {
  std::string path;
  ASSERT_TRUE(
      scriptPathFromLauncher(launchtest::launcherBytes("Z:\\tmp\\spool\\REPORTPS.bat"), path));
  EXPECT_EQ(path, "Z:\\tmp\\spool\\REPORTPS.bat");
}

TEST(LauncherReader, APathFillingTheFieldEndsAtItsEnd) {
  std::string full = "Z:\\" + std::string(kProgramFieldSize - 9, 'd') + "\\a.bat";
  ASSERT_EQ(full.size(), kProgramFieldSize);
  std::string pif = launchtest::launcherBytes(full);
  pif[kProgramFieldOffset + kProgramFieldSize] = 'X';  // the byte after the field is not path
  std::string path;
  ASSERT_TRUE(scriptPathFromLauncher(pif, path));
  EXPECT_EQ(path, full);
}

TEST(LauncherReader, RefusesShortEmptyOrGarbledFields) {
  std::string path;
  std::string pif = launchtest::launcherBytes("Z:\\s\\a.bat");
  EXPECT_FALSE(
      scriptPathFromLauncher(pif.substr(0, kProgramFieldOffset + kProgramFieldSize - 1), path));
  EXPECT_FALSE(scriptPathFromLauncher(std::string(545, '\0'), path));
  // A failed build leaves the template's field marker in place.
  EXPECT_FALSE(scriptPathFromLauncher(launchtest::launcherBytes("\tZ:\\s\\a.bat"), path));
  EXPECT_FALSE(scriptPathFromLauncher(launchtest::launcherBytes("Z:\\s\\a\r.bat"), path));
}

TEST(LauncherReader, MapsTheScriptToAHostFolderAndPlainName) {
#ifdef _WIN32
  const std::string drive = "C:", root = "C:\\", spool = "C:\\tmp\\spool", other = "Q:";
#else
  const std::string drive = "z:", root = "/", spool = "/tmp/spool", other = "C:";
#endif
  std::string folder, name;
  ASSERT_TRUE(hostScriptLocation(drive + "\\tmp\\spool\\REPORTPS.bat", folder, name));
  EXPECT_EQ(folder, spool);
  EXPECT_EQ(name, "REPORTPS.bat");
  ASSERT_TRUE(hostScriptLocation(drive + "\\a.bat", folder, name));
  EXPECT_EQ(folder, root);
  EXPECT_FALSE(hostScriptLocation(other + "\\spool\\a.bat", folder, name));
  EXPECT_FALSE(hostScriptLocation("spool\\a.bat", folder, name));
  EXPECT_FALSE(hostScriptLocation(drive + "\\spool\\", folder, name));
  EXPECT_FALSE(hostScriptLocation(drive + "\\spool\\..", folder, name));
  EXPECT_FALSE(hostScriptLocation(drive + "\\spool\\a/b.bat", folder, name));
}

std::vector<ScriptLine> parsed(const std::string& script) {
  std::vector<ScriptLine> lines;
  std::string error;
  EXPECT_TRUE(parseScript(script, lines, error)) << script << ": " << error;
  return lines;
}

bool refused(const std::string& script) {
  std::vector<ScriptLine> lines;
  std::string error;
  return !parseScript(script, lines, error) && lines.empty() && !error.empty();
}

TEST(ScriptParser, ReadsTheServersScript) {
  auto lines =
      parsed("copy REPORT.PS lpt1\r\ndel REPORT.PS\r\ndel REPORTPS.bat\r\ndel REPORTPS.pif");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].command, Command::Copy);
  EXPECT_EQ(lines[0].name, "REPORT.PS");
  EXPECT_EQ(lines[1].command, Command::Del);
  EXPECT_EQ(lines[1].name, "REPORT.PS");
  EXPECT_EQ(lines[3].name, "REPORTPS.pif");
}

TEST(ScriptParser, QuotedNamesAndDoubledPercent) {
  auto lines = parsed(
      "copy \"my report.ps\" lpt1\r\ndel \"my report.ps\"\r\ndel \"100%%.ps\"\r\n"
      "del \"a&b(1);c=d,e^f|g<h>.ps\"");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].name, "my report.ps");
  EXPECT_EQ(lines[2].name, "100%.ps");
  EXPECT_EQ(lines[3].name, "a&b(1);c=d,e^f|g<h>.ps");
  EXPECT_EQ(parsed("del 100%%.ps")[0].name, "100%.ps");
}

TEST(ScriptParser, AnyCaseAndLineEnds) {
  auto lines = parsed("COPY a.ps LPT1:\nDel a.ps\r\n\r\n  dEl\tb.bat  \r\ncopy a.ps Lpt1\r\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].command, Command::Copy);
  EXPECT_EQ(lines[2].name, "b.bat");
  EXPECT_EQ(lines[3].command, Command::Copy);
}

TEST(ScriptParser, PassesNonAsciiNamesThrough) {
  std::string name = "r\xc3\xa4kning\xff.ps";
  auto lines = parsed("copy " + name + " lpt1\r\ndel \"" + name + " 2\"");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].name, name);
  EXPECT_EQ(lines[1].name, name + " 2");
}

TEST(ScriptParser, RefusesOtherCommandsAndDevices) {
  EXPECT_TRUE(refused("copy a.ps lpt1\r\necho hi"));  // a bad last line stops the first one too
  EXPECT_TRUE(refused("copy a.ps lpt2"));
  EXPECT_TRUE(refused("copy a.ps b.ps"));
  EXPECT_TRUE(refused("copy a.ps \"lpt1\""));
  EXPECT_TRUE(refused("copy /b a.ps lpt1"));
  EXPECT_TRUE(refused("copy a.ps lpt1 extra"));
  EXPECT_TRUE(refused("del a.ps b.ps"));
  EXPECT_TRUE(refused("del"));
  EXPECT_TRUE(refused("\"del\" a.ps"));
  EXPECT_TRUE(refused("del a.ps & rm -rf x"));
  EXPECT_TRUE(refused("del a.ps>x"));
  EXPECT_TRUE(refused("del a.ps|x"));
}

TEST(ScriptParser, RefusesNamesWithAPathOrBadQuoting) {
  EXPECT_TRUE(refused("copy ..\\secret lpt1"));
  EXPECT_TRUE(refused("copy /etc/passwd lpt1"));
  EXPECT_TRUE(refused("del \"sub/a.ps\""));
  EXPECT_TRUE(refused("del Z:\\a.ps"));
  EXPECT_TRUE(refused("del .."));
  EXPECT_TRUE(refused("del ."));
  EXPECT_TRUE(refused("del \"\""));
  EXPECT_TRUE(refused("del \"a.ps"));
  EXPECT_TRUE(refused("del \"a\"b.ps"));
  EXPECT_TRUE(refused("del a\"b\".ps"));
  EXPECT_TRUE(refused("del \"100%.ps\""));
  EXPECT_TRUE(refused("del %TEMP%"));
  EXPECT_TRUE(refused(std::string("del a\0b", 7)));
  EXPECT_TRUE(refused("del a\rb"));
}

}  // namespace
}  // namespace launch
