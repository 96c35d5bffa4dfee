// The system's DOS paths and the host's own. On Linux drive Z: is the host root, so
// Z:\home\me\spool\ is /home/me/spool/, and no other drive exists (pure text work). On Windows a
// DOS path is the host's path: a drive that exists, a backslash, never a '/'. Shared by the server
// and lptspool-launch.
#pragma once

#include <string>

namespace platform {

// Linux: Z:\a\b\ -> /a/b/ (either drive letter case); false for any other drive. Windows: the
// same text, on a drive that exists. False for a relative path and for a path that holds a '/'
// (a separator on the host, an ordinary character to the system).
bool toHostPath(const std::string& dos, std::string& host);

// Linux: /a/b/ -> Z:\a\b\ ; false for a relative path and for one that holds a '\\' (it would be
// read back as a separator). Windows: a drive-absolute path, as it is.
bool toDosPath(const std::string& host, std::string& dos);

// True when the text starts with a drive that exists here (Linux: "Z:\" in any case).
bool isExistingDrive(const std::string& dos);

}  // namespace platform
