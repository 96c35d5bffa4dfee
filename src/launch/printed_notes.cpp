#include "launch/printed_notes.h"

#include <cstdint>

#include "platform/launch_lock.h"

namespace launch {

namespace {

// One note per file, so that a note never outlives a file for long and never grows.
std::string notePath(const std::string& folder, const platform::JobIdentity& job) {
  return folder + "printed-" + std::to_string(job.device) + "-" + std::to_string(job.inode);
}

}  // namespace

bool printedAlready(const std::string& folder, const platform::JobIdentity& job) {
  std::string text;
  std::int64_t ageMs = 0;
  return platform::readNote(notePath(folder, job), text, ageMs) && text == job.text();
}

void notePrinted(const std::string& folder, const platform::JobIdentity& job) {
  platform::writeNote(notePath(folder, job), job.text());
}

void forgetPrinted(const std::string& folder, const platform::JobIdentity& job) {
  platform::removeNote(notePath(folder, job));
}

}  // namespace launch
