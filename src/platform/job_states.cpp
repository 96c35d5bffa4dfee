// The host-independent half of the job-state store: where it lives and what its files are called.
#include "platform/job_states.h"

#include "platform/name_hash.h"
#include "platform/private_folder.h"

namespace platform {

bool JobStateStore::open(const std::string& spoolHostFolder, std::string& error) {
  folder_.clear();
  std::string folder;
  if (!privateFolder(spoolHostFolder, folder, error)) return false;
  folder_ = folder;
  return true;
}

std::string JobStateStore::fileOf(const std::string& jobName) const {
  // Any job name, however long or odd, gives a short plain file name; the record itself carries
  // the name, so a collision reads as "no record", never as another job's state.
  return folder_ + kFilePrefix + nameHash(jobName);
}

}  // namespace platform
