// The spool tick: sweep the helper files of earlier ticks, dispatch every waiting job, show the
// count. Every step is attempted in turn; a step that fails is skipped and the tick carries on.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "app/frm_main.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/spool_handle.h"
#include "queue/job_list.h"
#include "queue/job_refusal.h"
#include "queue/job_standing.h"
#include "queue/settle_time.h"
#include "spool/fair_order.h"
#include "spool/job_files.h"
#include "spool/job_names.h"
#include "spool/launcher_template.h"
#include "ui_text/ui_text.h"

namespace {

constexpr int kFile = 1;
using platform::Opened;

// Writes a new file through the tick's file slot. It appears only when whole: a part of a script
// is nothing the sweep would recognise, and it would stay for good.
Opened writeNewFile(const std::string& path, const std::string* parts, size_t count) {
  const Opened opened = platform::OpenForBinaryWrite(kFile, path);
  if (opened != Opened::Yes) return opened;
  bool ok = true;
  for (size_t i = 0; i < count && ok; ++i) ok = platform::Put(kFile, parts[i]);
  return platform::Close(kFile) && ok ? Opened::Yes : Opened::Failed;
}

// The job's script and launcher under one name, both new. Taken when either name is, and then
// neither file stays.
Opened writeHelperFiles(const std::string& folder, const std::string& jobFileName,
                        const std::string& jobName, const std::string& templ) {
  std::string launcher;
  if (!buildLauncher(templ, folder + jobName + ".bat", launcher)) return Opened::Failed;
  const std::array<std::string, 4> lines = batchLines(jobFileName, jobName);
  const Opened script = writeNewFile(folder + jobName + ".bat", lines.data(), lines.size());
  if (script != Opened::Yes) return script;
  const Opened opened = writeNewFile(folder + jobName + ".pif", &launcher, 1);
  if (opened != Opened::Yes) platform::RemoveFile(folder + jobName + ".bat");
  return opened;
}

// A name a script can carry; whether the file system opens the job by it is the standing's.
bool usableName(const std::string& jobFileName) {
  return scriptNameForm(jobFileName) != ScriptName::Unusable;
}

}  // namespace

void frmMain::tmrPrint_Timer() {
  // The yield below lets the timer fire again; a second tick would share the enumeration and
  // the file slot with this one, so it is dropped.
  if (ticking_) return;
  ticking_ = true;
  cmdShow->setEnabled(true);
  lngDocuments = 0;
  queue::TickOutcome outcome;
  if (spoolFolderReady()) {
    sweepHelperFiles();
    outcome.maxBytes = queue::maxJobBytes(std::getenv("LPTSPOOL_MAX_JOB"));
    std::vector<ReadyJob> ready;
    std::map<std::string, platform::JobLook> changing;
    const Settling settling{platform::fileClockNs(), queue::settleMs() * 1000000};
    std::string Name = platform::Dir(PrintingDir + "*.ps");
    while (!Name.empty()) {
      if (Name != "." && Name != "..") {
        outcome.found.push_back(Name);
        if (lngDocuments < INT32_MAX) ++lngDocuments;
        judgeJob(Name, settling, outcome, ready, changing);
      }
      Name = platform::Dir();
    }
    changing_.swap(changing);
    // Only as many launchers as can start now: the rest wait in the folder, in their turn, and
    // the next tick starts them first if they are the server user's own.
    const size_t room = platform::launcherRoom();
    JobNames jobNames;
    for (const std::string& name : fairOrder(ready)) {
      if (outcome.started.size() >= room) {
        outcome.waiting.push_back(name);
        continue;
      }
      toolkit_.doEvents();
      dispatchJob(name, jobNames);
      outcome.started.push_back(name);
    }
  }
  afterTick(outcome);
  setStatus(uitext::text(uitext::T::InQueue, {std::to_string(lngDocuments)}));
  updateWarning();
  ticking_ = false;
}

// One look at the job decides its way: refused until it changes (counted under its reason, and
// nothing more spent on it), still changing (looked at again next tick), or ready for a launcher.
void frmMain::judgeJob(const std::string& name, const Settling& settling,
                       queue::TickOutcome& outcome, std::vector<ReadyJob>& ready,
                       std::map<std::string, platform::JobLook>& changing) {
  // A name no file opens by cannot be looked at either: it stays, and says why.
  if (!platform::nameReachable(name)) {
    outcome.refused.add(queue::Standing::UnreachableName, 0);
    return;
  }
  platform::JobLook look;
  if (!platform::lookAtJob(PrintingDir, name, look)) return;  // gone since the listing
  // A name no script carries stays too.
  const queue::Standing standing =
      usableName(name) ? queue::standingOf(name, {look.size, look.allocated, look.links},
                                           look.deletable, outcome.maxBytes)
                       : queue::Standing::UnusableName;
  if (standing != queue::Standing::Printable) {
    outcome.refused.add(standing, look.size);
    return;
  }
  // Settled once its last change is a settle time old, or when it is just as it was a tick ago
  // (a file stamped ahead of our clock).
  const std::int64_t lastChange = std::max(look.mtimeNs, look.ctimeNs);
  bool settled = settling.nowNs - lastChange >= settling.settleNs;
  if (!settled) {
    const auto before = changing_.find(name);
    settled = before != changing_.end() && before->second.size == look.size &&
              before->second.mtimeNs == look.mtimeNs && before->second.ctimeNs == look.ctimeNs;
  }
  if (!settled) {
    changing.emplace(name, look);
    outcome.changing.push_back(name);
    return;
  }
  ready.push_back({name, look.owner, look.mine});
}

// The folder is used only while its path leads to the folder held; otherwise nothing in it is
// touched, and the reason is said once and shown in the list.
bool frmMain::spoolFolderReady() {
  std::string reason;
  const platform::FolderState state = platform::checkSpoolFolder(PrintingDir, reason);
  const std::string problem = state == platform::FolderState::Refused ? reason : "";
  if (problem != folderProblem && !problem.empty()) say(problem + "; nothing is printed from it");
  folderProblem = problem;
  return state == platform::FolderState::Ready;
}

void frmMain::sweepHelperFiles() {
  // Only what this server wrote: the folder may be one where a user keeps batch files of his own.
  platform::KillOwn(PrintingDir + "*.bat", kMaxScriptBytes,
                    [](const std::string& name, const std::string& bytes) {
                      return isServerScript(name, bytes);
                    });
  std::string templ;
  if (!readLauncherTemplate(templ)) return;
  platform::KillOwn(PrintingDir + "*.pif", templ.size() + 1,
                    [&](const std::string& name, const std::string& bytes) {
                      return isServerLauncher(name, bytes, templ, PrintingDir);
                    });
}

void frmMain::dispatchJob(const std::string& jobFileName, JobNames& jobNames) {
  // Without a fresh template there is no launcher for this job; it waits for a later tick
  // rather than being started with another job's launcher.
  std::string templ;
  if (!readLauncherTemplate(templ)) return;

  // A job name another job of this tick has, one whose script path would not fit the launcher's
  // field, or one somebody has taken in the folder gives way to a short name, so that every job
  // gets its own script and launcher, written new. When none is left the job waits.
  const size_t room = launcherFieldRoom(templ);
  auto fits = [&](const std::string& name) {
    return !name.empty() && (PrintingDir + name + ".bat").size() <= room;
  };
  const std::string ownName = jobNameOf(jobFileName);
  std::string jobName = fits(ownName) ? jobNames.own(ownName) : std::string();
  for (;;) {
    if (jobName.empty()) jobName = jobNames.nextShort(ownName);
    if (!fits(jobName)) return;
    const Opened written = writeHelperFiles(PrintingDir, jobFileName, jobName, templ);
    if (written == Opened::Failed) return;
    if (written == Opened::Yes) break;
    jobName.clear();
  }
  toolkit_.win32().ShellExecuteA(window->hWnd(), nullptr, (jobName + ".pif").c_str(), "",
                                 PrintingDir.c_str(), platform::SW_HIDE);
}
