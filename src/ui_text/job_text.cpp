#include "ui_text/job_text.h"

#include "queue/job_list.h"
#include "ui_text/ui_text.h"

namespace uitext {

namespace {

using queue::Kind;

const std::string kPrinter = "lpt1: ";

bool startsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool has(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

std::string after(const std::string& text, const std::string& start) {
  return startsWith(text, start) ? text.substr(start.size()) : text;
}

// The sentence, then the detail in brackets when there is one.
std::string withDetail(const std::string& sentence, const std::string& detail) {
  return detail.empty() ? sentence : text(T::WithDetail, {sentence, queue::printableText(detail)});
}

std::string printerCause(const std::string& reason, const PrinterContext& printer) {
  const std::string detail = after(reason, kPrinter);
  if (startsWith(detail, "the printer's lock"))
    return withDetail(text(T::CausePrinterLock), detail);
  if (has(detail, "no command after |")) return text(T::CauseNoCommand);
  // The check of the printer as it stands now names the cause most plainly: a folder, a
  // device or a program that is not there.
  if (!printer.cause.empty()) return withDetail(printer.cause, detail);
  if (has(detail, "status 127") || has(detail, "not found"))
    return withDetail(text(T::CauseCommandNotFound, {"?"}), detail);
  if (startsWith(detail, "command "))
    return withDetail(text(printer.cups ? T::CauseCupsRefused : T::CauseCommandFailed), detail);
  return withDetail(text(T::CausePrinterFailed), detail);
}

std::string refusedCause(const std::string& reason) {
  if (reason == queue::kUnusableName) return text(T::CauseUnusableName);
  const std::string notDeletable = "it could not be deleted afterwards: ";
  if (startsWith(reason, notDeletable))
    return withDetail(text(T::CauseNotDeletable), after(reason, notDeletable));
  if (startsWith(reason, "printed")) return withDetail(text(T::CausePrintedNotDeleted), reason);
  const std::string tooLong = "still being written after ";
  if (startsWith(reason, tooLong)) {
    const std::string rest = after(reason, tooLong);
    return text(T::CauseWrittenTooLong, {rest.substr(0, rest.find(' '))});
  }
  if (has(reason, "hard link")) return withDetail(text(T::CauseHardLinks), reason);
  if (has(reason, "largest job")) return withDetail(text(T::CauseTooBig), reason);
  if (has(reason, "sparse")) return withDetail(text(T::CauseSparse), reason);
  return withDetail(text(T::CauseUnprintable), reason);
}

}  // namespace

std::string standingCause(queue::Standing standing, std::uint64_t maxBytes) {
  switch (standing) {
    case queue::Standing::Printable:
      return "";
    case queue::Standing::UnusableName:
      return text(T::CauseUnusableName);
    case queue::Standing::UnreachableName:
      return text(T::CauseUnreachableName);
    case queue::Standing::NotDeletable:
      return text(T::CauseNotDeletable);
    case queue::Standing::Links:
      return text(T::CauseHardLinks);
    case queue::Standing::TooBig:
      return withDetail(text(T::CauseTooBig), "LPTSPOOL_MAX_JOB=" + std::to_string(maxBytes));
    case queue::Standing::Sparse:
      return text(T::CauseSparse);
  }
  return "";
}

std::string folderCause(const std::string& problem) {
  return withDetail(text(T::CauseFolderUnusable), problem);
}

bool isPrinterFailure(const queue::JobRecord& r) {
  return (r.kind == Kind::Failed || r.kind == Kind::Waiting) && startsWith(r.reason, kPrinter);
}

std::string jobCause(const queue::JobRecord& r, const PrinterContext& printer) {
  if (isPrinterFailure(r)) return printerCause(r.reason, printer);
  switch (r.kind) {
    case Kind::Unprintable:
      return refusedCause(r.reason);
    case Kind::Waiting:
      return r.reason.empty() ? "" : withDetail(text(T::CausePrinterBusy), r.reason);
    case Kind::StillWritten:
      return text(T::CauseStillWritten);
    case Kind::Failed:
      // What is left are the job's own: it cannot be opened, read or locked.
      return withDetail(text(T::CauseJobUnreadable), r.reason);
    default:
      return "";
  }
}

std::string stateLabel(const queue::JobRecord& r, std::int64_t now, const PrinterContext& printer) {
  // Every job waiting on a failing printer reads the same, whichever of them the printer
  // refused last; the count of tries belongs to the job's own failures.
  if (isPrinterFailure(r)) return text(T::StateWaitingFor, {jobCause(r, printer)});
  switch (r.kind) {
    case Kind::Queued:
      return text(T::StateQueued);
    case Kind::Waiting:
      // Its turn for a launcher: plain waiting, nothing wrong.
      return r.reason.empty() || r.reason == queue::kWaitsForLauncher
                 ? text(T::StateWaiting)
                 : text(T::StateWaitingFor, {jobCause(r, printer)});
    case Kind::StillWritten:
      return text(T::StateStillWritten);
    case Kind::Printing:
      return text(T::StatePrinting);
    case Kind::Printed:
      return text(T::StatePrinted);
    case Kind::Failed: {
      std::string label = text(T::StateFailed, {jobCause(r, printer)});
      if (r.tries >= 2 && r.since != 0)
        label += " " + text(T::Tries, {std::to_string(r.tries), queue::clockTime(r.since, now)});
      return label;
    }
    case Kind::Unprintable:
      return text(T::StateUnprintable, {jobCause(r, printer)});
  }
  return "";
}

}  // namespace uitext
