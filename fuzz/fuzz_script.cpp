// The batch-script parser on arbitrary bytes, and the agreement between the server and
// lptspool-launch: the four lines the server writes for any job name it accepts parse back to
// exactly that job's copy and deletions, and the server's sweep recognises them as its own.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "launch/script.h"
#include "spool/job_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool agreement = input.ConsumeBool();
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  std::vector<launch::ScriptLine> lines;
  std::string error;
  if (launch::parseScript(bytes, lines, error)) {
    for (const launch::ScriptLine& line : lines) {
      check(!line.name.empty() && line.name != "." && line.name != "..");
      for (unsigned char c : line.name) check(c >= 0x20 && c != 0x7f && c != '/' && c != '\\');
    }
  } else {
    check(!error.empty());
  }

  if (agreement && scriptNameForm(bytes) != ScriptName::Unusable) {
    const std::string jobName = jobNameOf(bytes);
    const auto script = batchLines(bytes, jobName);
    std::string whole;
    for (const std::string& line : script) whole += line;
    lines.clear();
    // A job name of nothing but dots has no script names of its own; the server never gets one
    // from the folder ("." and ".." are skipped, other dot names are hidden).
    if (jobName.empty() || bytes.find_first_not_of('.') == std::string::npos) return 0;
    check(launch::parseScript(whole, lines, error));
    check(lines.size() == 4);
    check(lines[0].command == launch::ScriptLine::Command::Copy && lines[0].name == bytes);
    check(lines[1].command == launch::ScriptLine::Command::Del && lines[1].name == bytes);
    check(lines[2].command == launch::ScriptLine::Command::Del &&
          lines[2].name == jobName + ".bat");
    check(lines[3].command == launch::ScriptLine::Command::Del &&
          lines[3].name == jobName + ".pif");
    // The sweep knows it for the server's own, and not once a byte more follows.
    check(isServerScript(jobName + ".bat", whole));
    check(!isServerScript(jobName + ".bat", whole + "\r\n"));
  }
  return 0;
}
