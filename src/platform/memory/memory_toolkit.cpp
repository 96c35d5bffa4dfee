#include "platform/memory/memory_toolkit.h"

#include <algorithm>
#include <cstring>

namespace memory {

MemoryWindow::MemoryWindow(float width, float height, HWND handle, HWND* nextHandle)
    : handle_(handle), nextHandle_(nextHandle), width_(width), height_(height) {}

void MemoryWindow::setHeight(float twips) {
  const bool changed = twips != height_;
  height_ = twips;
  if (changed && shownOnce_ && Resize) Resize();
}

void MemoryWindow::show() {
  visible_ = true;
  if (!shownOnce_) {
    shownOnce_ = true;
    if (Resize) Resize();
  }
}

ui::Button* MemoryWindow::addButton(const ui::ControlLayout& layout) {
  buttons_.push_back(std::make_unique<MemoryButton>(layout, (*nextHandle_)++));
  return buttons_.back().get();
}

ui::Label* MemoryWindow::addLabel(const ui::ControlLayout& layout) {
  labels_.push_back(std::make_unique<MemoryLabel>(layout, (*nextHandle_)++));
  return labels_.back().get();
}

ui::PictureBox* MemoryWindow::addPictureBox(const ui::ControlLayout& layout) {
  pictures_.push_back(std::make_unique<MemoryPictureBox>(layout, (*nextHandle_)++));
  return pictures_.back().get();
}

ui::Timer* MemoryWindow::addTimer(const std::string& name, int interval) {
  timers_.push_back(std::make_unique<MemoryTimer>(name, interval));
  return timers_.back().get();
}

MemoryButton* MemoryWindow::button(const std::string& name) const {
  for (const auto& b : buttons_)
    if (b->layout.name == name) return b.get();
  return nullptr;
}

MemoryTimer* MemoryWindow::timer(const std::string& name) const {
  for (const auto& t : timers_)
    if (t->name == name) return t.get();
  return nullptr;
}

std::vector<std::string> MemoryWindow::tabOrder() const {
  std::vector<std::pair<int, std::string>> all;
  for (const auto& b : buttons_) all.emplace_back(b->layout.tabIndex, b->layout.name);
  for (const auto& l : labels_) all.emplace_back(l->layout.tabIndex, l->layout.name);
  for (const auto& p : pictures_) all.emplace_back(p->layout.tabIndex, p->layout.name);
  std::sort(all.begin(), all.end());
  std::vector<std::string> names;
  for (const auto& entry : all) names.push_back(entry.second);
  return names;
}

intptr_t RecordingWin32::ShellExecuteA(HWND hwnd, const char* lpOperation, const char* lpFile,
                                       const char* lpParameters, const char* lpDirectory,
                                       int nShowCmd) {
  shellCalls.push_back({lpFile ? lpFile : "", lpParameters ? lpParameters : "",
                        lpDirectory ? lpDirectory : "", nShowCmd, hwnd, lpOperation != nullptr});
  return shellResult;
}

bool RecordingWin32::Shell_NotifyIconA(uint32_t dwMessage, platform::NOTIFYICONDATA* lpData) {
  trayCalls.push_back({dwMessage, *lpData});
  if (!trayAvailable) return false;
  if (dwMessage == platform::NIM_ADD) {
    if (iconPresent) return false;
    iconPresent = true;
    return true;
  }
  if (dwMessage == platform::NIM_DELETE) {
    const bool was = iconPresent;
    iconPresent = false;
    return was;
  }
  return false;
}

HWND RecordingWin32::FindWindowA(const char* lpClassName, const char* lpWindowName) {
  const bool asked = lpClassName && std::strcmp(lpClassName, "Shell_TrayWnd") == 0 &&
                     lpWindowName && lpWindowName[0] == '\0';
  return asked && taskbarPresent ? kTaskbar : 0;
}

bool RecordingWin32::GetWindowRect(HWND hWnd, platform::RECT* lpRect) {
  if (hWnd != kTaskbar || !taskbarPresent) return false;
  *lpRect = taskbar;
  return true;
}

bool RecordingWin32::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int, int, int, int,
                                  uint32_t uFlags) {
  if (hWndInsertAfter == platform::HWND_TOPMOST && uFlags == 0x53) topmostCalls.push_back(hWnd);
  return true;
}

std::unique_ptr<ui::Window> MemoryToolkit::createWindow(const std::string&, float width,
                                                        float height, float) {
  const HWND handle = nextHandle_++;
  return std::make_unique<MemoryWindow>(width, height, handle, &nextHandle_);
}

void MemoryToolkit::doEvents() {
  ++yields;
  if (pendingEvents) pendingEvents();
}

}  // namespace memory
