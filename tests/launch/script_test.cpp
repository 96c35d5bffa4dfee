// The launcher's program field and the batch script: what is run, and what is refused.
#include "launch/script.h"

#include <gtest/gtest.h>

#include "launch/pif_reader.h"
#include "launch_test_support.h"

namespace launch {
namespace {

using Command = ScriptLine::Command;

TEST(LauncherReader, ReadsThePathUpToItsNulOrTheFieldsEnd) {
  std::string path;
  ASSERT_TRUE(
      scriptPathFromLauncher(launchtest::launcherBytes("Z:\\tmp\\spool\\REPORTPS.bat"), path));
  EXPECT_EQ(path, "Z:\\tmp\\spool\\REPORTPS.bat");
  // A path filling the field ends at the field's end.
  std::string full = "Z:\\" + std::string(kProgramFieldSize - 9, 'd') + "\\a.bat";
  ASSERT_EQ(full.size(), kProgramFieldSize);
  std::string pif = launchtest::launcherBytes(full);
  pif[kProgramFieldOffset + kProgramFieldSize] = 'X';  // the byte after the field is not path
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

TEST(ScriptParser, ReadsEveryLineTheServerWrites) {
  const std::string name = "r\xc3\xa4kning\xff.ps";  // bytes beyond ASCII are part of a name
  const struct {
    std::string script;
    std::vector<std::string> lines;
  } cases[] = {
      {"copy REPORT.PS lpt1\r\ndel REPORT.PS\r\ndel REPORTPS.bat\r\ndel REPORTPS.pif",
       {"copy REPORT.PS", "del REPORT.PS", "del REPORTPS.bat", "del REPORTPS.pif"}},
      {"copy \"my report.ps\" lpt1\r\ndel \"100%%.ps\"\r\ndel \"a&b(1);c=d,e^f|g<h>.ps\"\r\n"
       "del 100%%.ps",
       {"copy my report.ps", "del 100%.ps", "del a&b(1);c=d,e^f|g<h>.ps", "del 100%.ps"}},
      // Any case, LF or CR LF, blank lines and blanks around.
      {"COPY a.ps LPT1:\nDel a.ps\r\n\r\n  dEl\tb.bat  \r\ncopy a.ps Lpt1\r\n",
       {"copy a.ps", "del a.ps", "del b.bat", "copy a.ps"}},
      {"copy " + name + " lpt1\r\ndel \"" + name + " 2\"", {"copy " + name, "del " + name + " 2"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    for (const ScriptLine& line : parsed(c.script))
      lines.push_back((line.command == Command::Copy ? "copy " : "del ") + line.name);
    EXPECT_EQ(lines, c.lines) << c.script;
  }
}

TEST(ScriptParser, RefusesOtherCommandsDevicesPathsAndQuoting) {
  const std::string refusedScripts[] = {
      "copy a.ps lpt1\r\necho hi",  // a bad last line stops the first one too
      "copy a.ps lpt2", "copy a.ps b.ps", "copy a.ps \"lpt1\"", "copy /b a.ps lpt1",
      "copy a.ps lpt1 extra", "del a.ps b.ps", "del", "\"del\" a.ps", "del a.ps & rm -rf x",
      "del a.ps>x", "del a.ps|x",
      // Names with a path, or quoted in a way the server never writes.
      "copy ..\\secret lpt1", "copy /etc/passwd lpt1", "del \"sub/a.ps\"", "del Z:\\a.ps", "del ..",
      "del .", "del \"\"", "del \"a.ps", "del \"a\"b.ps", "del a\"b\".ps", "del \"100%.ps\"",
      "del %TEMP%", std::string("del a\0b", 7), "del a\rb"};
  for (const std::string& script : refusedScripts) EXPECT_TRUE(refused(script)) << script;
}

}  // namespace
}  // namespace launch
