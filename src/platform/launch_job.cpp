// What a job file is apart from its host: it owns its handle and its lock, and hands both on.
#include "platform/launch_job.h"

#include <utility>

namespace platform {

JobFile::~JobFile() {
  close();
}

JobFile::JobFile(JobFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      lock_(std::move(other.lock_)),
      name_(std::move(other.name_)),
      error_(std::move(other.error_)) {}

JobFile& JobFile::operator=(JobFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    lock_ = std::move(other.lock_);
    name_ = std::move(other.name_);
    error_ = std::move(other.error_);
  }
  return *this;
}

}  // namespace platform
