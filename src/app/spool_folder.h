// Reading the spool folder from the command line, and deciding whether the server can use it.
#pragma once

#include <string>

// Why the server does not start. Each cause reads as one Swedish sentence in a message box
// (app/start_refusal.h); stderr gets the English reason.
enum class RefusalCause { NoFolder, NotAbsolute, PathTooLong, FolderRefused, Count };
struct Refusal {
  RefusalCause cause = RefusalCause::NotAbsolute;
  std::string reason;  // one English line
  std::string detail;  // what the sentence names besides: the longest path, the host's words
};

// Finds the option PRINTINGDIR="folder" (the keyword in any case) and returns the folder as
// written, with a trailing backslash added. False, with a one-line reason, when the command line
// holds no drive-absolute folder on a drive that exists here.
bool readPrintingDir(const std::string& commandLine, std::string& folder, Refusal& refusal);

// False, with a reason, when the launcher's field could not hold the path of a job's script even
// under a short job name (the path of 12345678.bat). `fieldRoom` comes from the template.
bool leavesRoomForJobs(const std::string& folder, size_t fieldRoom, Refusal& refusal);

// The field room of the template beside the executable, or of the shipped one when it cannot be
// read now (it is read again for every job).
size_t currentFieldRoom();
