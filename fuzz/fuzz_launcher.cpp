// lptspool-launch's launcher reader on arbitrary bytes, and the round trip that matters: whatever
// script path the server writes into the shipped template comes back out of it unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "check.h"
#include "launch/pif_reader.h"
#include "spool/job_files.h"

namespace {

// The shape of data/print.txt: the field's TAB at 0x24, the DLE that ends it at 0x63.
std::string shippedShape() {
  std::string templ(0x171 + 22, ' ');
  templ[0x24] = TAB;
  for (std::size_t i = 0x25; i < 0x63; ++i) templ[i] = '\0';
  templ[0x63] = DLE;
  templ[0x64] = '\0';
  return templ;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool roundTrip = input.ConsumeBool();
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  std::string dosPath;
  if (launch::scriptPathFromLauncher(bytes, dosPath)) {
    check(!dosPath.empty() && dosPath.size() <= launch::kProgramFieldSize);
    for (unsigned char c : dosPath) check(c >= 0x20 && c != 0x7f);
    std::string folder, name;
    if (launch::hostScriptLocation(dosPath, folder, name)) {
      check(!folder.empty() && folder[0] == '/');
      check(!name.empty() && name != "." && name != "..");
      check(name.find('/') == std::string::npos);
    }
  }

  if (roundTrip) {
    const std::string templ = shippedShape();
    std::string launcher;
    if (buildLauncher(templ, bytes, launcher)) {
      check(launcher.size() == templ.size());
      check(bytes.size() <= launcherFieldRoom(templ));
      std::string back;
      const bool plain = bytes.find_first_of(std::string("\0", 1)) == std::string::npos;
      bool printable = !bytes.empty();
      for (unsigned char c : bytes) printable = printable && c >= 0x20 && c != 0x7f;
      if (plain && printable) {
        check(launch::scriptPathFromLauncher(launcher, back));
        check(back == bytes);
      }
    } else {
      check(bytes.size() > launcherFieldRoom(templ));
    }
  }
  return 0;
}
