#include "app/frm_list.h"

#include <cstdlib>

#include "app/frm_main.h"
#include "platform/dos_path.h"
#include "platform/job_states.h"
#include "queue/job_list.h"
#include "queue/job_refusal.h"
#include "ui_text/job_text.h"
#include "ui_text/ui_text.h"

using uitext::T;

namespace {

constexpr float kWidth = 9000, kHeight = 5100;
constexpr int kRefreshMs = 1000;

std::string sizeText(std::int64_t bytes) {
  if (bytes < 10 * 1024) return uitext::text(uitext::T::SizeBytes, {std::to_string(bytes)});
  if (bytes < 10 * 1024 * 1024)
    return uitext::text(uitext::T::SizeKilo, {std::to_string(bytes / 1024)});
  return uitext::text(uitext::T::SizeMega, {std::to_string(bytes / (1024 * 1024))});
}

}  // namespace

frmList::frmList(ui::Toolkit& toolkit, const frmMain& main) : toolkit_(toolkit), main_(main) {
  window = toolkit_.createDialog("frmList", uitext::text(T::ListTitle), kWidth, kHeight);
  if (!window) return;
  lblPrinter = window->addLabel({"lblPrinter", 120, 90, 8700, 480, "", 4, true});
  lvwJobs = window->addTable({"lvwJobs", 120, 600, 8700, 3600, "", 0, true},
                             {uitext::text(T::ColumnName), uitext::text(T::ColumnSize),
                              uitext::text(T::ColumnSince), uitext::text(T::ColumnState)});
  cmdRemove =
      window->addButton({"cmdRemove", 120, 4320, 1500, 420, uitext::text(T::Remove), 1, true});
  cmdOpenFolder = window->addButton(
      {"cmdOpenFolder", 1740, 4320, 1800, 420, uitext::text(T::OpenFolder), 2, true});
  cmdCloseList =
      window->addButton({"cmdCloseList", 7320, 4320, 1500, 420, uitext::text(T::Close), 3, true});
  tmrRefresh = window->addTimer("tmrRefresh", kRefreshMs);
  cmdRemove->Click = [this] { cmdRemove_Click(); };
  cmdOpenFolder->Click = [this] { cmdOpenFolder_Click(); };
  cmdCloseList->Click = [this] { cmdCloseList_Click(); };
  tmrRefresh->Tick = [this] { tmrRefresh_Timer(); };
  confirmRemoval = [this](const std::string& question) {
    return toolkit_.ask(*window, uitext::text(T::RemoveTitle), question, uitext::text(T::Remove),
                        uitext::text(T::Cancel));
  };
}

frmList::~frmList() {
  if (tmrRefresh) tmrRefresh->setEnabled(false);
}

void frmList::Show() {
  if (!window) return;
  if (!window->visible()) {
    // First in the middle of the screen, where a list opened from the corner window is easy to
    // find; after that where the user last put it.
    if (!placed_) {
      const ui::Screen& screen = toolkit_.screen();
      window->setLeft((screen.width() - kWidth) / 2);
      window->setTop((screen.height() - kHeight) / 2);
      placed_ = true;
    }
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
  const uitext::PrinterContext printer{main_.printerCause, main_.printerCups};
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
                    queue::clockTime(job.file.changed, now),
                    uitext::stateLabel(job.state, now, printer)});
  }
  // However many jobs are refused for one reason, they take one row: a flood of them must not
  // bury the user's own.
  for (const queue::RefusedGroup& group : refused.groups()) {
    names_.push_back("");
    rows.push_back(
        {uitext::text(T::JobCount, {std::to_string(group.count)}),
         sizeText(static_cast<std::int64_t>(group.bytes)), "",
         uitext::text(T::StateUnprintable, {uitext::standingCause(group.standing, maxBytes)})});
  }
  lvwJobs->setRows(rows);
  lvwJobs->setCurrentRow(selected);
  cmdRemove->setEnabled(!rows.empty());
  std::string folder = main_.PrintingDir;
  platform::toHostPath(main_.PrintingDir, folder);  // the folder as the user's own tools name it
  const std::int64_t count = static_cast<std::int64_t>(jobs.size()) + refused.total();
  std::string text =
      uitext::text(T::ListHeading, {std::to_string(count), queue::printableText(folder)});
  // The window's warning, said in full where there is room for it.
  const std::string warning = main_.cmdShow ? main_.cmdShow->warning() : "";
  if (!warning.empty()) text = uitext::text(T::Lines, {warning, text});
  if (!note_.empty()) text = uitext::text(T::Lines, {text, note_});
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
  if (!confirmRemoval(uitext::text(T::RemoveQuestion, {shown}))) return;
  // The trash keeps a job removed by mistake. Without one of the user's own, the job is deleted
  // for good only when the user says so again, knowing it cannot be put back.
  if (toolkit_.moveToTrash(main_.PrintingDir, name))
    note_ = uitext::text(T::RemovedToTrash, {shown});
  else if (!confirmRemoval(uitext::text(T::NoTrashQuestion, {shown})))
    note_ = uitext::text(T::KeptInQueue, {shown});
  else if (platform::deleteSpoolFile(main_.PrintingDir, name))
    note_ = uitext::text(T::RemovedForGood, {shown});
  else
    note_ = uitext::text(T::NotRemoved, {shown});
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
