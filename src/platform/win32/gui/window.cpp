// The window on Win32: a fixed-size popup that stays on top and has no taskbar button, with a
// frame painted by itself, or the document list's ordinary window; its place kept in twips.
#include "platform/single_server.h"
#include "platform/win32/gui/win_toolkit.h"

namespace win32ui {

WinWindow::WinWindow(WinToolkit& toolkit, const std::string& title, float width, float height,
                     float frame, bool dialog)
    : toolkit_(toolkit), frame_(frame), dialog_(dialog) {
  int w = toPixels(width, twipsPerPixel(true)), h = toPixels(height, twipsPerPixel(false));
  if (dialog) {
    // A frame one can resize by is wider than a fixed one: the window grows by the difference,
    // so that its controls keep the room they were laid out in.
    ::RECT fixed{0, 0, w, h}, sizing{0, 0, w, h};
    AdjustWindowRectEx(&fixed, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, FALSE, 0);
    AdjustWindowRectEx(&sizing, WS_OVERLAPPEDWINDOW, FALSE, 0);
    w += (sizing.right - sizing.left) - (fixed.right - fixed.left);
    h += (sizing.bottom - sizing.top) - (fixed.bottom - fixed.top);
  }
  if (dialog) {
    hwnd_ = CreateWindowExW(0, widen(kDialogClass).c_str(), widen(title).c_str(),
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, w, h, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
  } else {
    // A tool window: no title bar, no taskbar button, above other windows.
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kFormClass, title.c_str(),
                            WS_POPUP | WS_CLIPCHILDREN, 0, 0, w, h, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
  }
  if (!hwnd_) toolkit.windowFailed = true;
  // A second start on the same folder finds this window by its folder's key.
  if (!dialog && hwnd_ && !platform::claimedSpoolFolderKey().empty())
    SetPropA(hwnd_, platform::claimedSpoolFolderKey().c_str(), reinterpret_cast<HANDLE>(1));
  size_ = {w, h};
  HINSTANCE instance = GetModuleHandleA(nullptr);
  bigIcon_ =
      static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  smallIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  if (!smallIcon_) smallIcon_ = LoadIcon(nullptr, IDI_APPLICATION);
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

WinWindow::~WinWindow() {
  if (!dialog_ && !platform::claimedSpoolFolderKey().empty())
    RemovePropA(hwnd_, platform::claimedSpoolFolderKey().c_str());
  timers_.clear();
  controls_.clear();
  DestroyWindow(hwnd_);
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

float WinWindow::width() const {
  ::RECT r{};
  ::GetWindowRect(hwnd_, &r);
  return static_cast<float>(r.right - r.left) * twipsPerPixel(true);
}

float WinWindow::height() const {
  ::RECT r{};
  ::GetWindowRect(hwnd_, &r);
  return static_cast<float>(r.bottom - r.top) * twipsPerPixel(false);
}

void WinWindow::move() {
  ::SetWindowPos(hwnd_, nullptr, toPixels(left_, twipsPerPixel(true)),
                 toPixels(top_, twipsPerPixel(false)), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinWindow::setLeft(float twips) {
  left_ = twips;
  move();
  left_ = twips;  // the move rounded it; the system keeps its own single-precision value
}

void WinWindow::setTop(float twips) {
  top_ = twips;
  move();
  top_ = twips;
}

void WinWindow::syncPlace() {
  // Keep the exact value while it still rounds to where the window is; take the place the
  // window was put in by someone else.
  ::RECT r{};
  if (!::GetWindowRect(hwnd_, &r)) return;
  const float perX = twipsPerPixel(true), perY = twipsPerPixel(false);
  if (toPixels(left_, perX) != r.left) left_ = static_cast<float>(r.left) * perX;
  if (toPixels(top_, perY) != r.top) top_ = static_cast<float>(r.top) * perY;
}

void WinWindow::setHeight(float twips) {
  ::RECT r{};
  ::GetWindowRect(hwnd_, &r);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, toPixels(twips, twipsPerPixel(false)),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinWindow::show() {
  move();
  // The docked window never takes the focus from the user's work; the list is asked for.
  if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, dialog_ ? SW_SHOW : SW_SHOWNOACTIVATE);
  if (dialog_) SetForegroundWindow(hwnd_);
  if (!shownOnce_) {
    shownOnce_ = true;
    if (dialog_) {
      // The layout the controls were made with is the one every later size starts from.
      ::RECT client{}, window{};
      GetClientRect(hwnd_, &client);
      GetWindowRect(hwnd_, &window);
      firstClient_ = {client.right, client.bottom};
      minimum_ = {(window.right - window.left) * 2 / 3, (window.bottom - window.top) * 2 / 3};
      for (const auto& control : controls_) {
        ::RECT r{};
        const ::HWND child = fromHandle32(control->hWnd());
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        placed_.push_back({child, r});
      }
    }
    if (Resize) Resize();
  }
}

void WinWindow::hide() {
  ShowWindow(hwnd_, SW_HIDE);
}

ui::Button* WinWindow::addButton(const ui::ControlLayout& layout) {
  const int id = nextId_++;
  auto button = std::make_unique<WinButton>(hwnd_, layout, frame_, id, toolkit_.defaultFont());
  buttons_[id] = button.get();
  controls_.push_back(std::move(button));
  return static_cast<WinButton*>(controls_.back().get());
}

ui::Label* WinWindow::addLabel(const ui::ControlLayout& layout) {
  if (dialog_) {
    auto label = std::make_unique<WinTextLabel>(hwnd_, layout, nextId_++, toolkit_.defaultFont());
    ui::Label* raw = label.get();
    controls_.push_back(std::move(label));
    return raw;
  }
  controls_.push_back(std::make_unique<WinLabel>(hwnd_, layout, frame_, nextId_++));
  return static_cast<WinLabel*>(controls_.back().get());
}

ui::Table* WinWindow::addTable(const ui::ControlLayout& layout,
                               const std::vector<std::string>& headers) {
  auto table =
      std::make_unique<WinTable>(hwnd_, layout, nextId_++, toolkit_.defaultFont(), headers);
  table_ = table.get();
  ui::Table* raw = table.get();
  controls_.push_back(std::move(table));
  return raw;
}

ui::PictureBox* WinWindow::addPictureBox(const ui::ControlLayout& layout) {
  controls_.push_back(std::make_unique<WinPictureBox>(hwnd_, layout, frame_, nextId_++));
  return static_cast<WinPictureBox*>(controls_.back().get());
}

ui::Timer* WinWindow::addTimer(const std::string& /*name*/, int interval) {
  const UINT_PTR id = static_cast<UINT_PTR>(nextId_++);
  timers_[id] = std::make_unique<WinTimer>(hwnd_, id, interval);
  return timers_[id].get();
}

}  // namespace win32ui
