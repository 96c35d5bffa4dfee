// An in-memory toolkit: windows, controls and timers as plain values, and Windows services that
// record their calls. Tests drive the handlers directly; nothing here needs a display.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace memory {

using platform::HWND;

// A control of any kind: its layout, a handle and an enabled flag.
template <class Kind>
class MemoryControl : public Kind {
 public:
  MemoryControl(const ui::ControlLayout& layout, HWND handle)
      : layout(layout), handle_(handle), enabled_(layout.enabled) {}
  HWND hWnd() const override { return handle_; }
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  bool enabled() const override { return enabled_; }
  ui::ControlLayout layout;

 private:
  HWND handle_;
  bool enabled_;
};

class MemoryButton : public MemoryControl<ui::Button> {
 public:
  MemoryButton(const ui::ControlLayout& layout, HWND handle)
      : MemoryControl(layout, handle), caption_(layout.caption) {}
  void setCaption(const std::string& caption) override { caption_ = caption; }
  std::string caption() const override { return caption_; }
  void setFont(const ui::FontStyle& font) override { font_ = font; }
  ui::FontStyle font_;

 private:
  std::string caption_;
};

using MemoryLabel = MemoryControl<ui::Label>;
using MemoryPictureBox = MemoryControl<ui::PictureBox>;

class MemoryTimer : public ui::Timer {
 public:
  MemoryTimer(std::string name, int interval) : name(std::move(name)), interval_(interval) {}
  void setInterval(int milliseconds) override { interval_ = milliseconds; }
  int interval() const override { return interval_; }
  void setEnabled(bool enabled) override {
    enabled_ = enabled;
    if (enabled) ++starts;
  }
  bool enabled() const override { return enabled_; }
  // Fires the timer once, as the event loop would when its interval has passed.
  void fire() {
    if (enabled_ && Tick) Tick();
  }
  std::string name;
  int starts = 0;  // how often the interval was (re)started

 private:
  int interval_;
  bool enabled_ = false;
};

class MemoryWindow : public ui::Window {
 public:
  MemoryWindow(float width, float height, HWND handle, HWND* nextHandle);
  HWND hWnd() const override { return handle_; }
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  bool enabled() const override { return enabled_; }
  float left() const override { return left_; }
  float top() const override { return top_; }
  float width() const override { return width_; }
  float height() const override { return height_; }
  void setLeft(float twips) override { left_ = twips; }
  void setTop(float twips) override { top_ = twips; }
  void setHeight(float twips) override;
  bool visible() const override { return visible_; }
  void show() override;
  void hide() override { visible_ = false; }
  ui::Button* addButton(const ui::ControlLayout& layout) override;
  ui::Label* addLabel(const ui::ControlLayout& layout) override;
  ui::PictureBox* addPictureBox(const ui::ControlLayout& layout) override;
  ui::Timer* addTimer(const std::string& name, int interval) override;
  platform::HICON icon() const override { return 0x1C0; }

  MemoryButton* button(const std::string& name) const;
  MemoryTimer* timer(const std::string& name) const;
  MemoryLabel* label() const { return labels_.empty() ? nullptr : labels_[0].get(); }
  MemoryPictureBox* pictureBox() const { return pictures_.empty() ? nullptr : pictures_[0].get(); }
  std::vector<std::string> tabOrder() const;

 private:
  HWND handle_;
  HWND* nextHandle_;
  bool enabled_ = true;
  float left_ = 0, top_ = 0, width_, height_;
  bool visible_ = false;
  bool shownOnce_ = false;
  std::vector<std::unique_ptr<MemoryButton>> buttons_;
  std::vector<std::unique_ptr<MemoryLabel>> labels_;
  std::vector<std::unique_ptr<MemoryPictureBox>> pictures_;
  std::vector<std::unique_ptr<MemoryTimer>> timers_;
};

class MemoryScreen : public ui::Screen {
 public:
  float width() const override { return widthPixels * twipsX; }
  float height() const override { return heightPixels * twipsY; }
  float twipsPerPixelX() const override { return twipsX; }
  float twipsPerPixelY() const override { return twipsY; }
  platform::RECT workArea() const override { return work; }
  int widthPixels = 1024, heightPixels = 768;
  float twipsX = 15, twipsY = 15;
  platform::RECT work{0, 0, 1024, 738};
};

struct ShellCall {
  std::string file, parameters, directory;
  int show;
  HWND owner;
  bool hadOperation;
};

struct TrayCall {
  uint32_t message;
  platform::NOTIFYICONDATA record;
};

class RecordingWin32 : public platform::Win32 {
 public:
  intptr_t ShellExecuteA(HWND hwnd, const char* lpOperation, const char* lpFile,
                         const char* lpParameters, const char* lpDirectory, int nShowCmd) override;
  bool Shell_NotifyIconA(uint32_t dwMessage, platform::NOTIFYICONDATA* lpData) override;
  HWND FindWindowA(const char* lpClassName, const char* lpWindowName) override;
  bool GetWindowRect(HWND hWnd, platform::RECT* lpRect) override;
  bool SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                    uint32_t uFlags) override;

  std::vector<ShellCall> shellCalls;
  std::vector<TrayCall> trayCalls;
  std::vector<HWND> topmostCalls;
  intptr_t shellResult = 42;
  bool trayAvailable = true;
  bool iconPresent = false;
  bool taskbarPresent = true;
  platform::RECT taskbar{0, 738, 1024, 768};
  static constexpr HWND kTaskbar = 0x7A5C;
};

class MemoryToolkit : public ui::Toolkit {
 public:
  std::unique_ptr<ui::Window> createWindow(const std::string& name, float width, float height,
                                           float frameTwips) override;
  ui::Screen& screen() override { return screen_; }
  platform::Win32& win32() override { return win32_; }
  // Runs the test's hook, standing in for the events that would be pending.
  void doEvents() override;
  void setTrayState(const std::string& toolTip, bool warning) override {
    trayTip = toolTip;
    trayWarning = warning;
  }
  // Given while the icon is in the tray, as the desktop would.
  bool notify(const std::string& title, const std::string& text) override {
    if (!win32_.iconPresent) return false;
    notices.push_back(title + ": " + text);
    return true;
  }

  MemoryScreen screen_;
  RecordingWin32 win32_;
  std::function<void()> pendingEvents;
  int yields = 0;
  std::string trayTip;
  bool trayWarning = false;
  std::vector<std::string> notices;

 private:
  HWND nextHandle_ = 0x100;
};

}  // namespace memory
