// The spool tick: sweep the helper files of earlier ticks, dispatch every waiting job, show the
// count. Every step is attempted in turn; a step that fails is skipped and the tick carries on.
#include <climits>

#include "app/frm_main.h"
#include "platform/files.h"
#include "spool/job_files.h"
#include "spool/launcher_template.h"

namespace {

constexpr int kFile = 1;

// Writes one file through the tick's file slot; false if any step failed.
bool writeFile(const std::string& path, const std::string* parts, size_t count) {
  if (!platform::OpenForBinaryWrite(kFile, path)) return false;
  bool ok = true;
  for (size_t i = 0; i < count && ok; ++i) ok = platform::Put(kFile, parts[i]);
  return platform::Close(kFile) && ok;
}

}  // namespace

void frmMain::tmrPrint_Timer() {
  // The yield below lets the timer fire again; a second tick would share the enumeration and
  // the file slot with this one, so it is dropped.
  if (ticking_) return;
  ticking_ = true;
  cmdShow->setEnabled(true);
  lngDocuments = 0;
  platform::Kill(PrintingDir + "*.bat");
  platform::Kill(PrintingDir + "*.pif");
  std::set<std::string> usedJobNames;
  std::vector<std::string> found, refused;
  std::string Name = platform::Dir(PrintingDir + "*.ps");
  while (!Name.empty()) {
    toolkit_.doEvents();
    if (Name != "." && Name != "..") {
      found.push_back(Name);
      if (scriptNameForm(Name) == ScriptName::Unusable) refused.push_back(Name);
      dispatchJob(Name, usedJobNames);
    }
    Name = platform::Dir();
  }
  afterTick(found, refused);
  setStatus(std::to_string(lngDocuments) + " dokument i kö");
  ticking_ = false;
}

void frmMain::dispatchJob(const std::string& jobFileName, std::set<std::string>& usedJobNames) {
  // Every job found is counted; one whose name no script can carry stays in the folder,
  // untouched, and the list says why.
  if (lngDocuments < INT32_MAX) ++lngDocuments;
  if (scriptNameForm(jobFileName) == ScriptName::Unusable) return;

  // Without a fresh template there is no launcher for this job; it waits for a later tick
  // rather than being started with another job's launcher.
  std::string templ;
  if (!readLauncherTemplate(templ)) return;

  // A job name already taken in this tick, or one whose script path would not fit the launcher's
  // field, gets a short name, so that every job has its own script and launcher that fit.
  const size_t room = launcherFieldRoom(templ);
  auto usable = [&](const std::string& name) {
    return (PrintingDir + name + ".bat").size() <= room && !usedJobNames.count(name);
  };
  std::string jobName = jobNameOf(jobFileName);
  for (unsigned n = 1; !usable(jobName); ++n) {
    if (n > 999999) return;
    jobName = shortJobName(jobNameOf(jobFileName), n);
  }
  usedJobNames.insert(jobName);

  // A script that is not whole could copy the job and never delete it: then nothing is started.
  const std::array<std::string, 4> lines = batchLines(jobFileName, jobName);
  if (!writeFile(PrintingDir + jobName + ".bat", lines.data(), lines.size())) return;

  std::string launcher;
  if (!buildLauncher(templ, PrintingDir + jobName + ".bat", launcher)) return;
  if (!writeFile(PrintingDir + jobName + ".pif", &launcher, 1)) return;

  toolkit_.win32().ShellExecuteA(window->hWnd(), nullptr, (jobName + ".pif").c_str(), "",
                                 PrintingDir.c_str(), platform::SW_HIDE);
}
