#include "app/printer_check.h"

#include <cstdio>
#include <cstdlib>

#include "launch/runner.h"
#include "launch/sink_choice.h"
#include "platform/dos_path.h"
#include "platform/host_texts.h"
#include "platform/job_states.h"
#include "platform/printer_probe.h"
#include "platform/program_lookup.h"
#include "queue/job_list.h"
#include "queue/job_refusal.h"
#include "ui_text/ui_text.h"

namespace {

using uitext::T;

std::optional<std::string> lpt1Setting() {
  const char* value = std::getenv("LPT1");
  return value ? std::optional<std::string>(value) : std::nullopt;
}

bool fromCups(const std::optional<std::string>& lpt1) {
  return !lpt1 || lpt1->empty();
}

void checkPath(const std::string& path, const std::string& spoolHost, PrinterCheck& check) {
  using Kind = platform::PathProbe::Kind;
  const platform::PathProbe probe = platform::probePath(path);
  // The host's own: '/' ends a folder's name, and on Windows '\\' too.
  const std::string separators = platform::folderSeparators();
  const std::string separator(1, separators[0]);
  switch (probe.kind) {
    case Kind::Missing:
      // A folder named with a trailing separator is made at the first job; anything else missing
      // is a printer that is not there.
      if (!path.empty() && separators.find(path.back()) != std::string::npos) {
        check.works = platform::canCreateFolder(path, check.problem);
        check.printer = "the folder " + path;
        if (check.works) {
          check.problem = "the folder is created at the first job";
          return;
        }
        const std::string named = path.substr(0, path.find_last_not_of(separators) + 1);
        if (!named.empty() && platform::probePath(named).kind != Kind::Missing) {
          // a file, device or FIFO
          check.problem += " (a file takes jobs when named without the trailing " + separator + ")";
          // The very character written, a backslash on Windows more often than not.
          check.cause = uitext::text(T::CausePrinterIsFile, {named, std::string(1, path.back())});
        } else {
          check.cause = uitext::text(T::CausePrinterFolderNotMade, {path});
        }
      } else {
        check.printer = "the path " + path;
        check.problem =
            probe.error + " (a folder named with a trailing " + separator + " is created)";
        // A missing folder on the way is the usual slip; a missing last part is the printer.
        const std::string parent = path.substr(0, path.find_last_of(separators) + 1);
        check.cause = !parent.empty() && parent != separator &&
                              platform::probePath(parent).kind == Kind::Missing
                          ? uitext::text(T::CausePrinterFolderMissing, {parent})
                          : uitext::text(T::CausePrinterMissing, {path});
      }
      return;
    case Kind::Folder:
      check.printer = "the folder " + path;
      if (platform::sameFolder(path, spoolHost)) {
        check.problem = path + ": the spool folder itself cannot be the printer";
        check.cause = uitext::text(T::CauseSpoolFolderIsPrinter);
        return;
      }
      break;
    case Kind::Fifo:
      check.fifo = true;
      check.printer = "the FIFO " + path;
      if (probe.writable && !probe.reader) {
        check.problem = path + ": no program reads this FIFO";
        check.cause = uitext::text(T::CauseNoReader, {path});
        return;
      }
      break;
    case Kind::File:
      check.printer = "the file " + path + " (jobs are appended)";
      break;
    case Kind::Device:
      break;
    case Kind::Printer:
      check.printer = "the printer " + path;
      break;
    case Kind::Other:
      check.problem = path + ": not a device, FIFO, folder or file";
      check.cause = uitext::text(T::CauseNotAPrinter, {path});
      return;
  }
  check.works = probe.writable;
  if (!check.works) {
    check.problem = probe.error;
    check.cause = uitext::text(T::CausePrinterRefuses, {path});
  }
}

void checkCommand(const launch::SinkPlan& plan, bool cups, PrinterCheck& check) {
  std::string program = plan.argv[0];
  if (!cups) {
    // The first word of the shell command, when it is a plain program name. The shell's own
    // words around it differ by host (sh -c, cmd.exe /d /s /c).
    const std::string& line = plan.command;
    const std::size_t start = line.find_first_not_of(" \t");
    const std::string word = line.substr(start, line.find_first_of(" \t", start) - start);
    if (word.find_first_of(";&|<>()$`'\"=*?[]{}~\\") != std::string::npos) {
      check.works = true;
      check.problem = "a shell command line; only printing a job shows whether it works";
      return;
    }
    program = word;
  }
  std::string found;
  check.works = platform::findProgram(program, found);
  if (!check.works) {
    check.problem = program + ": command not found";
    check.cause = uitext::text(T::CauseCommandNotFound, {program});
  }
}

}  // namespace

PrinterCheck checkPrinter(const std::optional<std::string>& lpt1,
                          const std::optional<std::string>& cupsDestination,
                          const std::string& spoolHostFolder) {
  PrinterCheck check;
  launch::SinkPlan plan;
  const bool cups = fromCups(lpt1);
  if (!launch::planSink(lpt1, cupsDestination, plan)) {
    check.printer = "LPT1=" + *lpt1;
    check.problem = "LPT1 holds no command after |";
    check.cause = uitext::text(T::CauseNoCommand);
    return check;
  }
  check.cups = cups && plan.kind == launch::SinkPlan::Kind::Command;
  if (plan.kind == launch::SinkPlan::Kind::Command) {
    check.printer = cups ? "the CUPS destination " + *cupsDestination + " (through lp)"
                         : "the command " + plan.command;
    checkCommand(plan, cups, check);
    return check;
  }
  check.printer = "the device " + plan.path;
  checkPath(plan.path, spoolHostFolder, check);
  if (!check.works && cups) {
    check.problem += "; and CUPS has no default destination";
    check.cause = uitext::text(T::CauseNoCupsDefault, {plan.path});
  }
  return check;
}

namespace {

std::string hostOf(const std::string& dosFolder) {
  std::string host;
  platform::toHostPath(dosFolder, host);
  return host;
}

}  // namespace

int printQueue(const std::string& dosFolder) {
  platform::JobStateStore store;
  std::string error;
  // Without the private folder the jobs are still listed, with nothing known of them.
  store.open(hostOf(dosFolder), error);
  std::vector<queue::JobView> jobs = queue::currentJobs(store, dosFolder);
  const std::uint64_t maxBytes = queue::maxJobBytes(std::getenv("LPTSPOOL_MAX_JOB"));
  const queue::RefusedSummary refused = queue::takeRefused(jobs, maxBytes);
  std::string text = queue::queueText(jobs, platform::unixTime());
  // One line per reason, however many jobs it holds back.
  for (const queue::RefusedGroup& group : refused.groups())
    text += queue::refusedQueueLine(group, maxBytes);
  std::fputs(text.c_str(), stdout);
  return 0;
}

int printCheck(const std::string& dosFolder) {
  const std::string host = hostOf(dosFolder);
  const std::optional<std::string> lpt1 = lpt1Setting();
  const std::optional<std::string> cups = launch::probeCupsDestination();
  const PrinterCheck check = checkPrinter(lpt1, cups, host);
  const bool folderExists = platform::probePath(host).kind == platform::PathProbe::Kind::Folder;
  std::printf("Spool folder:  %s%s\n", queue::printableText(host).c_str(),
              folderExists ? "" : " (missing; the server creates it)");
  std::printf("Printer:       %s (%s)\n", queue::printableText(check.printer).c_str(),
              lpt1 && !lpt1->empty() ? ("LPT1=" + queue::printableText(*lpt1)).c_str()
                                     : platform::unsetLpt1Note());
  std::printf("Can print:     %s%s%s\n", check.works ? "yes" : "no",
              check.problem.empty() ? "" : ": ", queue::printableText(check.problem).c_str());
  std::printf("%s\n", queue::printableText(platform::printersLine(cups)).c_str());
  return check.works ? 0 : 1;
}

PrinterCheck serverPrinterCheck(const std::string& dosFolder) {
  static std::optional<std::optional<std::string>> cups;
  const std::optional<std::string> lpt1 = lpt1Setting();
  if (!cups && fromCups(lpt1)) cups = launch::probeCupsDestination();
  PrinterCheck check = checkPrinter(lpt1, cups ? *cups : std::nullopt, hostOf(dosFolder));
  // A shell command line is only known to work once it prints; a note is no problem.
  if (check.works) check.problem.clear();
  check.problem = queue::printableText(check.problem);
  check.cause = queue::printableText(check.cause);
  return check;
}
