// A job's identity from what stat() says of it.
#pragma once

#include <sys/stat.h>

#include "platform/job_identity.h"

namespace platform {

inline JobIdentity identityOfStat(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          static_cast<std::uint64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace platform
