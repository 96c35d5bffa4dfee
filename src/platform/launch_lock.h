// Locks and notes in the user's private folder. Only this user can reach them, so nobody who may
// drop a job or read a printer can hold printing up by taking a lock of his own.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace platform {

class PrivateLock {
 public:
  enum class Take { Locked, Busy, Failed };

  // removeFile: the file goes when the lock is let go, for locks named after something that goes
  // too (a job). A lock many wait on (a printer's) keeps its file, so a release wakes one waiter,
  // not all of them.
  explicit PrivateLock(bool removeFile = true) : removeFile_(removeFile) {}
  ~PrivateLock() { release(); }
  PrivateLock(const PrivateLock&) = delete;
  PrivateLock& operator=(const PrivateLock&) = delete;
  PrivateLock(PrivateLock&& o) noexcept
      : fd_(o.fd_), path_(std::move(o.path_)), removeFile_(o.removeFile_) {
    o.fd_ = -1;
  }
  PrivateLock& operator=(PrivateLock&& o) noexcept {
    if (this != &o) {
      release();
      fd_ = o.fd_;
      path_ = std::move(o.path_);
      removeFile_ = o.removeFile_;
      o.fd_ = -1;
    }
    return *this;
  }

  // Takes the lock that the file at path stands for, creating the file when missing; with wait
  // it waits for its holder, otherwise Busy. A child process forked meanwhile holds it too, until
  // it ends.
  Take take(const std::string& path, bool wait, std::string& error);
  // Removes the file (see removeFile), then lets go: a launcher that was waiting on it takes a
  // fresh one.
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  std::string path_;
  bool removeFile_;
};

// A short note replaced whole, never seen half-written.
bool writeNote(const std::string& path, const std::string& text);
// The note's text and how long ago it was written; false when there is none.
bool readNote(const std::string& path, std::string& text, std::int64_t& ageMs);
void removeNote(const std::string& path);

}  // namespace platform
