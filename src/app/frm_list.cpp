#include "app/frm_list.h"

#include <cstdlib>

#include "app/frm_main.h"
#include "platform/dos_path.h"
#include "platform/job_states.h"
#include "queue/job_list.h"
#include "queue/job_refusal.h"

namespace {

constexpr float kWidth = 9000, kHeight = 5100;
constexpr int kRefreshMs = 1000;

std::string sizeText(std::int64_t bytes) {
  if (bytes < 10 * 1024) return std::to_string(bytes) + " B";
  if (bytes < 10 * 1024 * 1024) return std::to_string(bytes / 1024) + " kB";
  return std::to_string(bytes / (1024 * 1024)) + " MB";
}

}  // namespace

frmList::frmList(ui::Toolkit& toolkit, const frmMain& main) : toolkit_(toolkit), main_(main) {
  window = toolkit_.createDialog("frmList", "Alla dokument", kWidth, kHeight);
  if (!window) return;
  lblPrinter = window->addLabel({"lblPrinter", 120, 90, 8700, 480, "", 4, true});
  lvwJobs = window->addTable({"lvwJobs", 120, 600, 8700, 3600, "", 0, true},
                             {"Namn", "Storlek", "I kön sedan", "Status"});
  cmdRemove = window->addButton({"cmdRemove", 120, 4320, 1500, 420, "Ta bort", 1, true});
  cmdOpenFolder =
      window->addButton({"cmdOpenFolder", 1740, 4320, 1800, 420, "Öppna mappen", 2, true});
  cmdCloseList = window->addButton({"cmdCloseList", 7320, 4320, 1500, 420, "Stäng", 3, true});
  tmrRefresh = window->addTimer("tmrRefresh", kRefreshMs);
  cmdRemove->Click = [this] { cmdRemove_Click(); };
  cmdOpenFolder->Click = [this] { cmdOpenFolder_Click(); };
  cmdCloseList->Click = [this] { cmdCloseList_Click(); };
  tmrRefresh->Tick = [this] { tmrRefresh_Timer(); };
  confirmRemoval = [this](const std::string& question) {
    return toolkit_.ask(*window, "Ta bort dokument", question);
  };
}

frmList::~frmList() {
  if (tmrRefresh) tmrRefresh->setEnabled(false);
}

void frmList::Show() {
  if (!window) return;
  if (!window->visible()) {
    // In the middle of the screen, where a list opened from the corner window is easy to find.
    const ui::Screen& screen = toolkit_.screen();
    window->setLeft((screen.width() - kWidth) / 2);
    window->setTop((screen.height() - kHeight) / 2);
    note_.clear();
  }
  Refresh();
  window->show();
  tmrRefresh->setEnabled(true);
}

void frmList::Refresh() {
  if (!lvwJobs) return;
  const std::string keep = selectedName();
  platform::JobStateStore none;
  const platform::JobStateStore& store = main_.tracker ? main_.tracker->store() : none;
  const std::int64_t now = platform::unixTime();
  std::vector<std::vector<std::string>> rows;
  names_.clear();
  int selected = -1;
  std::vector<queue::JobView> jobs = queue::currentJobs(store, main_.PrintingDir);
  const std::uint64_t maxBytes = queue::maxJobBytes(std::getenv("LPTSPOOL_MAX_JOB"));
  const queue::RefusedSummary refused = queue::takeRefused(jobs, maxBytes);
  for (const queue::JobView& job : jobs) {
    if (job.file.name == keep) selected = static_cast<int>(rows.size());
    names_.push_back(job.file.name);
    rows.push_back({queue::printable(job.file.name), sizeText(job.file.size),
                    queue::clockTime(job.file.changed, now), queue::swedishState(job.state, now)});
  }
  // However many jobs are refused for one reason, they take one row: a flood of them must not
  // bury the user's own.
  for (const queue::RefusedGroup& group : refused.groups()) {
    names_.push_back("");
    rows.push_back({"(" + std::to_string(group.count) + " dokument)",
                    sizeText(static_cast<std::int64_t>(group.bytes)), "",
                    "Kan inte skrivas ut: " + queue::standingReason(group.standing, maxBytes)});
  }
  lvwJobs->setRows(rows);
  lvwJobs->setCurrentRow(selected);
  cmdRemove->setEnabled(!rows.empty());
  std::string folder = main_.PrintingDir;
  platform::toHostPath(main_.PrintingDir, folder);  // the folder as the user's own tools name it
  const std::int64_t count = static_cast<std::int64_t>(jobs.size()) + refused.total();
  std::string text = !main_.folderProblem.empty()
                         ? "Inget skrivs ut: " + queue::printableText(main_.folderProblem)
                     : main_.printerProblem.empty()
                         ? std::to_string(count) + " dokument i " + queue::printableText(folder)
                         : "Skrivaren fungerar inte: " + main_.printerProblem;
  if (!note_.empty()) text += "\n" + note_;
  lblPrinter->setCaption(text);
}

std::string frmList::selectedName() const {
  if (!lvwJobs) return "";
  const int row = lvwJobs->currentRow();
  return row >= 0 && static_cast<std::size_t>(row) < names_.size() ? names_[row] : "";
}

void frmList::cmdRemove_Click() {
  const std::string name = selectedName();
  if (name.empty()) return;
  const std::string shown = queue::printable(name);
  if (!confirmRemoval("Ta bort " + shown + " ur kön?\nFilen flyttas till papperskorgen.")) return;
  // The trash keeps a job removed by mistake. Without one of the user's own, the job is deleted
  // for good only when the user says so again, knowing it cannot be put back.
  if (toolkit_.moveToTrash(main_.PrintingDir, name))
    note_ = shown + " ligger i papperskorgen.";
  else if (!confirmRemoval("Papperskorgen kan inte ta emot " + shown +
                           ".\nTa bort den för gott? Den kan inte återställas."))
    note_ = shown + " ligger kvar i kön.";
  else if (platform::deleteSpoolFile(main_.PrintingDir, name))
    note_ = shown + " är borttagen för gott.";
  else
    note_ = shown + " kunde inte tas bort.";
  Refresh();
}

void frmList::cmdOpenFolder_Click() {
  toolkit_.openFolder(main_.PrintingDir);
}

void frmList::cmdCloseList_Click() {
  tmrRefresh->setEnabled(false);
  window->hide();
}

void frmList::tmrRefresh_Timer() {
  // Closed through its title bar: the timer stops with it.
  if (!window->visible()) {
    tmrRefresh->setEnabled(false);
    return;
  }
  Refresh();
}
