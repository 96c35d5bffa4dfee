#include "platform/job_identity.h"

#include <sys/stat.h>

#include "platform/posix/stat_identity.h"

namespace platform {

bool identityOf(const std::string& hostPath, JobIdentity& identity) {
  struct stat st;
  if (::lstat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  identity = identityOfStat(st);
  return true;
}

}  // namespace platform
