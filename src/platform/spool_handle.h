// The spool folder as the server holds it: used only when it is a real folder of this user's or
// root's, not reached through a symbolic link that others could have planted, and once opened,
// through its handle. Whoever may write where the folder lies could otherwise put a link to the
// user's documents in its place, or a folder of his own, and have the server print and delete
// whatever it holds.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class FolderState {
  Ready,    // held, and its path still leads to it
  Missing,  // nothing at its path (yet, or any more): nothing to print
  Refused,  // its path leads somewhere the server must not print from; the reason says why
};

// Start-up: creates a missing folder (and its missing parents) and holds it when it is fit to
// use. Refused with a one-line reason naming the folder and its owner otherwise. Missing when it
// cannot be made: the server waits for it.
FolderState openSpoolFolder(const std::string& dosFolder, std::string& reason);

// Every tick: whether the folder held is still the one its path leads to. A folder deleted and
// made anew is held in its place when it is fit to use; one swapped for another, or refused, is
// not followed: Refused with the reason until its path leads back to the folder held.
FolderState checkSpoolFolder(const std::string& dosFolder, std::string& reason);

// What one look at a job tells the server (no link is followed).
struct JobLook {
  std::uint64_t size = 0;
  std::uint64_t allocated = 0;
  std::uint64_t links = 1;
  std::int64_t mtimeNs = 0;
  std::int64_t ctimeNs = 0;
  std::uint32_t owner = 0;
  bool mine = false;       // the server's user owns it
  bool deletable = false;  // the server's user may delete it from the folder
};
// One stat of the job in the folder held; false when it is gone or not an ordinary file.
bool lookAtJob(const std::string& dosFolder, const std::string& name, JobLook& look);

// The current time on the clock the file system stamps files with, in nanoseconds.
std::int64_t fileClockNs();

// Tests: forget the folder held.
void releaseSpoolFolder();

}  // namespace platform
