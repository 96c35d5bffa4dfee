// Which jobs the printer has taken already, kept by identity in the user's private folder. A job
// renamed or moved after printing, or left behind because it could not be deleted, is the same
// job by its identity, and must not come out a second time.
#pragma once

#include <string>

#include "platform/job_identity.h"

namespace launch {

// folder: the private folder of the spool folder, ending in '/'.
bool printedAlready(const std::string& folder, const platform::JobIdentity& job);
// Written the moment the printer has taken the job (or a part of it that cannot be taken back),
// before the job is deleted.
void notePrinted(const std::string& folder, const platform::JobIdentity& job);
// Once the file has no name left, nothing can bring it back to be printed again.
void forgetPrinted(const std::string& folder, const platform::JobIdentity& job);

}  // namespace launch
