// On Windows DOS paths are the host's own: a path is used as it is written.
#include "platform/dos_path.h"

#include <windows.h>

namespace platform {
namespace {

// X:\ with a letter; the rest of the path is the file system's to judge. A '/' would be read as a
// separator by Windows but not by the system's own joining and matching, so it is refused.
bool isDriveAbsolute(const std::string& path) {
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return false;
  const char letter = static_cast<char>(path[0] & ~0x20);
  return letter >= 'A' && letter <= 'Z' && path.find('/') == std::string::npos;
}

}  // namespace

bool isExistingDrive(const std::string& dos) {
  if (dos.size() < 3 || dos[1] != ':' || dos[2] != '\\') return false;
  const char letter = static_cast<char>(dos[0] & ~0x20);
  return letter >= 'A' && letter <= 'Z' && (GetLogicalDrives() & (1u << (letter - 'A'))) != 0;
}

bool toHostPath(const std::string& dos, std::string& host) {
  if (!isDriveAbsolute(dos) || !isExistingDrive(dos)) return false;
  host = dos;
  return true;
}

bool toDosPath(const std::string& host, std::string& dos) {
  if (!isDriveAbsolute(host)) return false;
  dos = host;
  return true;
}

}  // namespace platform
