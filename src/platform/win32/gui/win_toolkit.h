// The toolkit on Win32: a popup window with BUTTON controls, a drag strip and the tray's picture
// box as small window classes of our own, SetTimer timers and a yield that pumps the message
// queue. Geometry arrives in twips and becomes pixels at the screen's logical dpi.
#pragma once

// The system's own names for the Windows constants come first; <windows.h> then makes them
// macros, which this host's code uses from there on.
#include "platform/toolkit.h"
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace win32ui {

// The system keeps handles in 32 bits (the tray record); Windows' own window and icon handles
// always fit, and come back by sign extension.
inline platform::HWND toHandle32(const void* handle) {
  return static_cast<platform::HWND>(reinterpret_cast<std::uintptr_t>(handle));
}
template <class Native = ::HWND>
Native fromHandle32(platform::HWND handle) {
  return reinterpret_cast<Native>(static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
}

float twipsPerPixel(bool horizontal);
int toPixels(float twips, float perPixel);
// Our texts for the wide calls, whatever mix of UTF-8 and ANSI names they hold.
std::wstring widen(const std::string& text);

constexpr const char* kFormClass = "lptspoolForm";
constexpr const char* kDialogClass = "lptspoolDialog";
constexpr const char* kStripClass = "lptspoolStrip";
constexpr const char* kHookClass = "lptspoolHook";
class WinToolkit;
// Once per toolkit: the session's end reaches it through the docked window's class.
void registerClasses(WinToolkit& toolkit);
// Dispatches one message; keys move between the controls of our windows in tab order.
void dispatch(MSG& message);

template <class Kind>
class WinControl : public Kind {
 public:
  ~WinControl() override {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  platform::HWND hWnd() const override { return toHandle32(hwnd_); }
  void setEnabled(bool enabled) override { EnableWindow(hwnd_, enabled); }
  bool enabled() const override { return IsWindowEnabled(hwnd_) != 0; }
  ::HWND native() const { return hwnd_; }

 protected:
  // Creates the control's window at its place in the client area, inside the frame.
  void create(const char* windowClass, DWORD style, ::HWND parent, const ui::ControlLayout& layout,
              float frame, int id) {
    const float perX = twipsPerPixel(true), perY = twipsPerPixel(false);
    if (!layout.enabled) style |= WS_DISABLED;
    hwnd_ = CreateWindowExA(0, windowClass, "", WS_CHILD | WS_CLIPSIBLINGS | style,
                            toPixels(layout.left + frame, perX), toPixels(layout.top + frame, perY),
                            toPixels(layout.width, perX), toPixels(layout.height, perY), parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), this);
  }
  ::HWND hwnd_ = nullptr;
};

class WinButton : public WinControl<ui::Button> {
 public:
  WinButton(::HWND parent, const ui::ControlLayout& layout, float frame, int id, HFONT font);
  ~WinButton() override;
  void setCaption(const std::string& caption) override;
  std::string caption() const override { return caption_; }
  void setFont(const ui::FontStyle& font) override;
  void click() {
    if (Click) Click();
  }
  void setWarning(const std::string& toolTip) override;
  // The warning's tooltip as the tooltip control holds it.
  std::wstring toolTipText() const;
  LRESULT subclassed(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void paintWarning(HDC dc);
  std::string caption_;
  HFONT ownFont_ = nullptr;
  WNDPROC original_ = nullptr;
  ::HWND tip_ = nullptr;
};

class WinLabel : public WinControl<ui::Label> {
 public:
  WinLabel(::HWND parent, const ui::ControlLayout& layout, float frame, int id);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
};

class WinPictureBox : public WinControl<ui::PictureBox> {
 public:
  WinPictureBox(::HWND parent, const ui::ControlLayout& layout, float frame, int id);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
};

// A label that shows text (the strip shows none): a STATIC control.
class WinTextLabel : public WinControl<ui::Label> {
 public:
  WinTextLabel(::HWND parent, const ui::ControlLayout& layout, int id, HFONT font);
  void setCaption(const std::string& caption) override;
};

// Rows under column headers: a list view in report mode.
class WinTable : public WinControl<ui::Table> {
 public:
  WinTable(::HWND parent, const ui::ControlLayout& layout, int id, HFONT font,
           const std::vector<std::string>& headers);
  void setRows(const std::vector<std::vector<std::string>>& rows) override;
  std::size_t rowCount() const override { return rows_.size(); }
  std::string cell(std::size_t row, std::size_t column) const override;
  int currentRow() const override;
  void setCurrentRow(int row) override;
  // The status column takes the width the others leave.
  void fitLastColumn();
  // The list's notifications; true when handled.
  bool notify(NMHDR* header);

 private:
  std::vector<std::vector<std::string>> rows_;
  int columns_ = 0;
};

class WinTimer : public ui::Timer {
 public:
  WinTimer(::HWND owner, UINT_PTR id, int interval) : owner_(owner), id_(id), interval_(interval) {}
  ~WinTimer() override { setEnabled(false); }
  void setInterval(int milliseconds) override;
  int interval() const override { return interval_; }
  void setEnabled(bool enabled) override;
  bool enabled() const override { return active_; }
  void fire();

 private:
  ::HWND owner_;
  UINT_PTR id_;
  int interval_;
  bool active_ = false;
};

class WinToolkit;

class WinWindow : public ui::Window {
 public:
  // The docked form, or (with a title) an ordinary window with a title bar whose close box
  // only hides it.
  WinWindow(WinToolkit& toolkit, const std::string& title, float width, float height, float frame,
            bool dialog);
  ~WinWindow() override;
  platform::HWND hWnd() const override { return toHandle32(hwnd_); }
  void setEnabled(bool enabled) override { EnableWindow(hwnd_, enabled); }
  bool enabled() const override { return IsWindowEnabled(hwnd_) != 0; }
  float left() const override { return left_; }
  float top() const override { return top_; }
  float width() const override;
  float height() const override;
  void setLeft(float twips) override;
  void setTop(float twips) override;
  void setHeight(float twips) override;
  bool visible() const override { return IsWindowVisible(hwnd_) != 0; }
  void show() override;
  void hide() override;
  ui::Button* addButton(const ui::ControlLayout& layout) override;
  ui::Label* addLabel(const ui::ControlLayout& layout) override;
  ui::PictureBox* addPictureBox(const ui::ControlLayout& layout) override;
  ui::Timer* addTimer(const std::string& name, int interval) override;
  ui::Table* addTable(const ui::ControlLayout& layout,
                      const std::vector<std::string>& headers) override;
  platform::HICON icon() const override { return toHandle32(smallIcon_); }

  ::HWND native() const { return hwnd_; }
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void move();
  void syncPlace();
  void paintFrame(HDC dc);
  // The list window resized: the table takes the new room, what lies below it moves down, and
  // what lies on the right moves with the right edge.
  void layoutDialog(SIZE client);
  struct Placed {
    ::HWND hwnd;
    ::RECT rect;  // in the client area as first shown
  };
  std::vector<Placed> placed_;
  SIZE firstClient_{};
  SIZE minimum_{};
  WinTable* table_ = nullptr;

  WinToolkit& toolkit_;
  ::HWND hwnd_ = nullptr;
  float frame_;
  bool dialog_;
  float left_ = 0, top_ = 0;
  bool shownOnce_ = false;
  SIZE size_{};
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
  int nextId_ = 100;
  std::vector<std::unique_ptr<ui::Control>> controls_;
  std::map<int, WinButton*> buttons_;
  std::map<UINT_PTR, std::unique_ptr<WinTimer>> timers_;
};

class WinScreen : public ui::Screen {
 public:
  float width() const override;
  float height() const override;
  float twipsPerPixelX() const override { return twipsPerPixel(true); }
  float twipsPerPixelY() const override { return twipsPerPixel(false); }
  platform::RECT workArea() const override;
};

// The tray's tooltip in the room the shell gives it, cut where a letter ends.
std::wstring trayTip(const std::string& text);
// The icon with the warning mark, size x size pixels; null when it cannot be made.
HICON markedIcon(HICON base, int size);

// Whether the Recycle Bin takes a file of this path: false on drives that have none or where it
// is switched off, where the shell would delete for good.
bool recycleBinTakes(const std::wstring& path);

class WinServices : public platform::Win32 {
 public:
  WinServices() = default;
  WinServices(const WinServices&) = delete;
  WinServices& operator=(const WinServices&) = delete;
  ~WinServices() override;
  intptr_t ShellExecuteA(platform::HWND hwnd, const char* lpOperation, const char* lpFile,
                         const char* lpParameters, const char* lpDirectory, int nShowCmd) override;
  bool Shell_NotifyIconA(uint32_t dwMessage, platform::NOTIFYICONDATA* lpData) override;
  platform::HWND FindWindowA(const char* lpClassName, const char* lpWindowName) override;
  bool GetWindowRect(platform::HWND hWnd, platform::RECT* lpRect) override;
  bool SetWindowPos(platform::HWND hWnd, platform::HWND hWndInsertAfter, int X, int Y, int cx,
                    int cy, uint32_t uFlags) override;
  // The shell (Explorer) started again with an empty tray: our icons go back in.
  void taskbarCreated();
  // A balloon from the icons shown now; false when none is.
  bool balloon(const std::string& title, const std::string& text);
  // The warning's tooltip and mark for every icon, now and added later; an empty tooltip is
  // the icon's own.
  void setState(const std::string& toolTip, bool warning);

 private:
  void applyState(const NOTIFYICONDATAA& record);
  std::map<std::pair<::HWND, UINT>, NOTIFYICONDATAA> icons_;
  std::wstring tip_;
  bool warning_ = false;
  std::map<HICON, HICON> marked_;
};

class WinToolkit : public ui::Toolkit {
 public:
  WinToolkit();
  ~WinToolkit() override;
  std::unique_ptr<ui::Window> createWindow(const std::string& name, float width, float height,
                                           float frameTwips) override;
  ui::Screen& screen() override { return screen_; }
  platform::Win32& win32() override { return services_; }
  WinServices& services() { return services_; }
  void doEvents() override;
  std::unique_ptr<ui::Window> createDialog(const std::string& name, const std::string& title,
                                           float width, float height) override;
  bool ask(ui::Window& owner, const std::string& title, const std::string& question,
           const std::string& yes, const std::string& no) override;
  bool moveToTrash(const std::string& dosFolder, const std::string& name) override;
  bool openFolder(const std::string& dosPath) override;
  void setTrayState(const std::string& toolTip, bool warning) override {
    services_.setState(toolTip, warning);
  }
  bool notify(const std::string& title, const std::string& text) override {
    return services_.balloon(title, text);
  }
  HFONT defaultFont() const { return font_; }
  // Run when Windows ends the session: the program must be gone before the process is.
  std::function<void()> EndSession;
  // A window could not be made (no desktop to make it on): without it no timer runs.
  bool windowFailed = false;

 private:
  WinScreen screen_;
  WinServices services_;
  HFONT font_ = nullptr;
};

}  // namespace win32ui
