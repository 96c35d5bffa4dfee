// DOS-style paths on this host: drive Z: is the host root, so Z:\home\me\spool\ is /home/me/spool/.
// No other drive exists here. Pure text work, shared by the server and lptspool-launch.
#pragma once

#include <string>

namespace platform {

// Z:\a\b\ -> /a/b/ (either drive letter case). False for any other drive, for a relative path
// and for a path that holds a '/' (a separator on this host, an ordinary character nowhere).
bool toHostPath(const std::string& dos, std::string& host);

// /a/b/ -> Z:\a\b\ . False for a relative path and for one that holds a '\\' (it would be read
// back as a separator).
bool toDosPath(const std::string& host, std::string& dos);

// True when the text starts with a drive that exists here ("Z:\" in any case).
bool isExistingDrive(const std::string& dos);

}  // namespace platform
