// Where job states are kept: the server user's private folder for the spool folder, one small file
// per job, each replaced whole (written aside, then renamed over), so a reader never sees half a
// state and launchers writing at once never lose each other's. Also the spool folder as the
// document list sees it, and the few process facts the states need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/job_identity.h"

namespace platform {

class JobStateStore {
 public:
  // The private folder of the spool folder (a host path); false with an error when it cannot be
  // had, and the store then holds nothing.
  bool open(const std::string& spoolHostFolder, std::string& error);
  bool isOpen() const { return !folder_.empty(); }
  bool write(const std::string& jobName, const std::string& bytes) const;
  bool read(const std::string& jobName, std::string& bytes) const;
  std::vector<std::string> readAll() const;
  bool remove(const std::string& jobName) const;

 private:
  static constexpr const char* kFilePrefix = "state-";
  std::string fileOf(const std::string& jobName) const;
  std::string folder_;  // ends in '/'
};

struct SpoolFile {
  std::string name;
  std::int64_t size = 0;
  std::int64_t changed = 0;     // Unix time it arrived or last changed (its status change time)
  JobIdentity identity;         // which file it is, for the state recorded about it
  std::uint64_t allocated = 0;  // bytes the file system holds for it
  std::uint64_t links = 1;
  bool deletable = true;  // this user may delete it from the folder
};

// The ordinary files of the folder that match the pattern (as the tick's enumeration finds them:
// no folders, links or hidden files), with their sizes. Empty when the folder cannot be read.
// Its own listing: the tick's enumeration is not disturbed.
std::vector<SpoolFile> listSpoolFiles(const std::string& dosPattern);

// Deletes one file of the folder by its exact name: never a folder, never through a link.
bool deleteSpoolFile(const std::string& dosFolder, const std::string& name);

std::int64_t processId();
// False once the process has ended.
bool processAlive(std::int64_t pid);
std::int64_t unixTime();

}  // namespace platform
