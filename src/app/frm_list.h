// frmList: the document list behind the status button. One row per job in the spool folder with
// its size, the time it arrived and its state; remove a job (to the trash, after a question), open
// the folder, close. Live while shown: a one-second timer that runs only while the list is open,
// so the idle server wakes no more often than before.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit.h"

class frmMain;

class frmList {
 public:
  frmList(ui::Toolkit& toolkit, const frmMain& main);
  ~frmList();
  frmList(const frmList&) = delete;
  frmList& operator=(const frmList&) = delete;

  // False where the host has no second window.
  bool exists() const { return window != nullptr; }
  void Show();
  void Refresh();
  void cmdRemove_Click();
  void cmdOpenFolder_Click();
  void cmdCloseList_Click();
  void tmrRefresh_Timer();

  // Asked before a job is removed; the toolkit's question unless a test puts its own answer here.
  std::function<bool(const std::string& question)> confirmRemoval;

  std::unique_ptr<ui::Window> window;
  ui::Label* lblPrinter = nullptr;
  ui::Table* lvwJobs = nullptr;
  ui::Button* cmdRemove = nullptr;
  ui::Button* cmdOpenFolder = nullptr;
  ui::Button* cmdCloseList = nullptr;
  ui::Timer* tmrRefresh = nullptr;

 private:
  std::string selectedName() const;

  ui::Toolkit& toolkit_;
  const frmMain& main_;
  std::vector<std::string> names_;  // the job of each row
  std::string note_;                // the outcome of the last removal, until the next one
  bool placed_ = false;             // shown once: it stays where the user put it
};
