#include "launch/printer_turn.h"

#include <cstdio>

#include "platform/name_hash.h"

namespace launch {

namespace {

std::string printerKey(const std::string& printer) {
  return platform::nameHash(printer);
}

// Why the printer rests: it failed less than kRestMs ago. The job it failed on waits one rest
// longer, so that a job the printer refuses cannot keep it from trying the others.
bool resting(const std::string& notePath, const std::string& job, std::string& reason, bool& ours) {
  std::string note;
  std::int64_t ageMs = 0;
  if (!platform::readNote(notePath, note, ageMs) || ageMs < 0) return false;
  const std::size_t end = note.find('\n');
  ours = end != std::string::npos && note.compare(0, end, job) == 0;
  if (ageMs >= (ours ? 2 : 1) * PrinterTurn::kRestMs) return false;
  reason = end == std::string::npos ? note : note.substr(end + 1);
  return true;
}

}  // namespace

PrinterTurn::Take PrinterTurn::take(const std::string& folder, const std::string& printer,
                                    const std::string& job, std::string& reason) {
  const std::string base = folder + "printer-" + printerKey(printer);
  notePath_ = base + ".failed";
  job_ = job;
  if (resting(notePath_, job_, reason, failedOnOurs_)) return Take::Resting;
  switch (lock_.take(base + ".lock", false, reason)) {
    case platform::PrivateLock::Take::Locked:
      return Take::Ours;
    case platform::PrivateLock::Take::Failed:
      return Take::Failed;
    case platform::PrivateLock::Take::Busy:
      break;
  }
  // A place in the queue first: a printer that hangs keeps a bounded number of launchers.
  platform::PrivateLock place(false);
  for (int i = 0; i < kQueueRoom && !place.held(); ++i) {
    std::string error;
    place.take(base + ".queue" + std::to_string(i), false, error);
  }
  if (!place.held()) return reason = "the printer is busy; left for the next tick", Take::Busy;
  if (lock_.take(base + ".lock", true, reason) != platform::PrivateLock::Take::Locked)
    return Take::Failed;
  // The launcher before us may have found the printer failing.
  if (resting(notePath_, job_, reason, failedOnOurs_)) {
    lock_.release();
    return Take::Resting;
  }
  return Take::Ours;
}

void PrinterTurn::failed(const std::string& reason) {
  platform::writeNote(notePath_, job_ + "\n" + reason);
}

void PrinterTurn::worked() {
  platform::removeNote(notePath_);
}

}  // namespace launch
