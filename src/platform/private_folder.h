// The server user's private folder for one spool folder. Locks and job states live there, never in
// the spool folder, where anyone who may drop a job could also take a lock or forge a state.
#pragma once

#include <string>

namespace platform {

// $XDG_RUNTIME_DIR/lptspool/<key>/ or, without a runtime folder, $HOME/.cache/lptspool/<key>/,
// where the key names the spool folder (a host path; its real path when it exists). Every level
// from lptspool/ down is created with mode 0700 when missing, and must be a folder (not a link)
// owned by this user that nobody else may enter; otherwise false with an error. The result is a
// host path ending in '/'.
bool privateFolder(const std::string& spoolFolder, std::string& folder, std::string& error);

// The user's own level above them, $XDG_RUNTIME_DIR/lptspool/ (or $HOME/.cache/lptspool/), checked
// and created the same way: for what several spool folders share, such as a printer's lock.
bool privateUserFolder(std::string& folder, std::string& error);

// The key alone: the same text for every spelling of one existing folder.
std::string privateFolderKey(const std::string& spoolFolder);

}  // namespace platform
