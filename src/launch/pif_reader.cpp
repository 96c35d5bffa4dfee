#include "launch/pif_reader.h"

#include "platform/dos_path.h"

namespace launch {

bool scriptPathFromLauncher(const std::string& launcher, std::string& dosPath) {
  if (launcher.size() < kProgramFieldOffset + kProgramFieldSize) return false;
  std::string field = launcher.substr(kProgramFieldOffset, kProgramFieldSize);
  field = field.substr(0, field.find('\0'));
  if (field.empty()) return false;
  for (unsigned char c : field)
    if (c < 0x20 || c == 0x7f) return false;
  dosPath = field;
  return true;
}

bool hostScriptLocation(const std::string& dosPath, std::string& folder, std::string& name) {
  std::string host;
  if (!platform::toHostPath(dosPath, host)) return false;
  // A host path separates with '/' or, on Windows, '\\'.
  std::size_t slash = host.find_last_of("/\\");
  if (slash == std::string::npos) return false;
  std::string file = host.substr(slash + 1);
  if (file.empty() || file == "." || file == "..") return false;
  folder = host.substr(0, slash);
  // The root keeps its separator: "C:" alone is the drive's working folder, not its root.
  if (folder.empty() || folder.back() == ':') folder = host.substr(0, slash + 1);
  name = file;
  return true;
}

}  // namespace launch
