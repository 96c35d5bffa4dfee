// The server user's private folder for one spool folder. Locks and job states live there, never in
// the spool folder, where anyone who may drop a job could also take a lock or forge a state.
#pragma once

#include <string>

namespace platform {

// <user level>/<key>/, where the key names the spool folder (a host path; its real path when it
// exists, on Windows in any case). Linux: the user level is $XDG_RUNTIME_DIR/lptspool/ or, without
// a runtime folder, $HOME/.cache/lptspool/; every level from lptspool/ down is created with mode
// 0700 when missing, and must be a folder (not a link) owned by this user that nobody else may
// enter. Windows: %LOCALAPPDATA%\lptspool\ (the temporary folder without it), which the user's
// profile keeps from others. Otherwise false with an error. The result is a host path ending in
// the host's separator.
bool privateFolder(const std::string& spoolFolder, std::string& folder, std::string& error);

// The user's own level above them (see above), checked and created the same way: for what
// several spool folders share, such as a printer's lock.
bool privateUserFolder(std::string& folder, std::string& error);

// The key alone: the same text for every spelling of one existing folder.
std::string privateFolderKey(const std::string& spoolFolder);

}  // namespace platform
