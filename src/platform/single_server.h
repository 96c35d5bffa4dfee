// One server per spool folder.
#pragma once

#include <string>

namespace platform {

// True when this process is now the one server of the folder (DOS, ending in a backslash). False
// when another one runs on it, however its folder was spelt: that one has been asked to show its
// window, and this one ends; where that window cannot be found, `boxText` tells where it is, in a
// message box when no console sees the English line.
bool claimSpoolFolder(const std::string& dosFolder, const std::string& boxText);

// The server runs: whoever started it and waits for that (a console on Windows) may go on, and
// the server lets go of that console, so that closing it does not end the server.
void announceServerRunning();

// The name the claim goes by, empty before it; the window carries it for a second start to find.
const std::string& claimedSpoolFolderKey();

}  // namespace platform
