// Where a Windows program's words reach its user.
#pragma once

#include <string>

namespace platform {

// True when what goes to stdout and stderr is seen: a console (the one it was started from
// included), a file or a pipe. A program started from Explorer or at login has none of these.
bool outputReachesUser();

// Lets go of the console the program was started from, giving it its code page back: a server
// that runs on would otherwise end with that console.
void releaseConsole();

// The line on stderr when that is seen, else `boxText` (Swedish, as the window speaks) in a
// message box.
void tellUser(const std::string& line, const std::string& boxText, bool error);

}  // namespace platform
