// The launcher file: which batch script it starts.
#pragma once

#include <string>

namespace launch {

// The program field of the launcher's basic section: 63 bytes at 0x24, ending at the first NUL
// or, when the path fills the field, at 0x63.
constexpr std::size_t kProgramFieldOffset = 0x24;
constexpr std::size_t kProgramFieldSize = 63;

// The script's DOS path from the launcher's bytes. False for a launcher too short to hold the
// field, an empty field, or a field holding control bytes.
bool scriptPathFromLauncher(const std::string& launcher, std::string& dosPath);

// Splits a script's DOS path into its host folder and its plain file name. False for a path on
// a drive this host lacks, one ending in a backslash, or one naming "." or "..".
bool hostScriptLocation(const std::string& dosPath, std::string& folder, std::string& name);

}  // namespace launch
