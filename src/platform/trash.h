// The user's own trash on this desktop (the freedesktop.org trash), where a removed job can be
// found and put back with the file manager.
#pragma once

#include <string>

namespace platform {

// Moves one file of a folder (a host path) into this user's trash: the home trash under
// $XDG_DATA_HOME (default ~/.local/share, created when missing) when the file lies on the same
// file system; otherwise $topdir/.Trash-<uid> of the file's mount, used only when it is this
// user's own folder, mode 0700 and not a link (made so when missing). Never anywhere else, and
// never the working directory: false with the reason when there is no such trash, and the file
// stays where it was.
bool moveToTrash(const std::string& hostFolder, const std::string& name, std::string& error);

}  // namespace platform
