// Reading the spool folder from the command line, and deciding whether the server can use it.
#pragma once

#include <string>

// Finds the option PRINTINGDIR="folder" (the keyword in any case) and returns the folder as
// written, with a trailing backslash added. False, with a one-line reason, when the command line
// holds no drive-absolute folder on a drive that exists here.
bool readPrintingDir(const std::string& commandLine, std::string& folder, std::string& reason);

// False, with a reason, when the launcher's field could not hold the path of a job's script even
// under a short job name (the path of 12345678.bat). `fieldRoom` comes from the template.
bool leavesRoomForJobs(const std::string& folder, size_t fieldRoom, std::string& reason);

// The field room of the template beside the executable, or of the shipped one when it cannot be
// read now (it is read again for every job).
size_t currentFieldRoom();
