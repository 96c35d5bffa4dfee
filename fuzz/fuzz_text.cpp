// The text helpers and the byte builders on arbitrary texts: FText, isText, getXFolder, the job
// names, the launcher build, and the spool folder read from a command line.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "app/spool_folder.h"
#include "check.h"
#include "platform/dos_path.h"
#include "spool/job_files.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string a = input.ConsumeRandomLengthString(256);
  const std::string b = input.ConsumeRandomLengthString(16);
  const std::string c = input.ConsumeRandomLengthString(16);
  const std::int32_t partId = input.ConsumeIntegral<std::int32_t>();
  const unsigned n = input.ConsumeIntegral<unsigned>();

  // What FText returns is always a piece of its input.
  const std::string cut = FText(a, b, c);
  check(cut.size() <= a.size());
  if (!cut.empty()) check(isText(a, cut));
  check(isText(a, b) == (a.find(b) != std::string::npos && !a.empty()));

  const std::string level = getXFolder(a, partId);
  if (!level.empty()) {
    check(a.compare(0, level.size(), level) == 0);
    check(level.back() == '\\' || level.size() == 3);
  }

  const std::string jobName = jobNameOf(a);
  check(jobName.find('.') == std::string::npos && jobName.size() <= a.size());
  const std::string shortName = shortJobName(jobName, n);
  check(shortName.size() <= 8 + std::to_string(n).size());
  check(scriptNameForm(shortName + ".bat") == ScriptName::Bare);

  std::string launcher = "untouched";
  if (buildLauncher(a, b, launcher)) {
    check(b.size() <= launcherFieldRoom(a));
    // The path and its padding take the place of the TAB and the field, one for one.
    if (a.find(DLE) != std::string::npos && a.find(TAB) != std::string::npos &&
        a.find(DLE) > a.find(TAB))
      check(launcher.size() == a.size());
  } else {
    check(launcher == "untouched");
  }

  std::string folder;
  Refusal refusal;
  if (readPrintingDir(a, folder, refusal)) {
    std::string host;
    check(folder.back() == '\\' && platform::toHostPath(folder, host));
  } else {
    check(!refusal.reason.empty());
  }
  return 0;
}
