// What the start-up check and --check ask the host about a printer before any job needs it.
#pragma once

#include <string>

namespace platform {

struct PathProbe {
  // Printer: a printer the system's spooler knows by this name (Windows only).
  enum class Kind { Missing, Folder, File, Fifo, Device, Printer, Other } kind = Kind::Missing;
  bool writable = false;
  bool reader = false;  // a FIFO: some program has it open for reading
  std::string error;    // "PATH: reason" when it cannot be reached or written
};

// Follows links, as opening the printer does.
PathProbe probePath(const std::string& hostPath);

// True when a folder that does not exist yet could be created there: its nearest existing
// level is a folder we may write. Otherwise false with the reason, e.g. a file of that name.
bool canCreateFolder(const std::string& hostPath, std::string& error);

// The characters that end a host path naming a folder: '/', and '\\' too on Windows. A printer
// path ending in one is a folder, made at the first job when it is missing. The first one is the
// one to show.
const char* folderSeparators();

// The same folder, links and dots resolved; false when either does not exist.
bool sameFolder(const std::string& a, const std::string& b);

}  // namespace platform
