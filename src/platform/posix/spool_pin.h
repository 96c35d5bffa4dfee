// The handle of the spool folder the server holds, for the host's file and process calls.
#pragma once

#include <string>

namespace platform {

// The folder's handle when the host folder is the one held; -1 otherwise.
int pinnedFolderFd(const std::string& hostFolder);
// A new handle of the folder (closed by the caller): the one held when it is that folder, so a
// folder swapped under its path is never reached; -1 when it cannot be opened.
int openFolder(const std::string& hostFolder);

}  // namespace platform
