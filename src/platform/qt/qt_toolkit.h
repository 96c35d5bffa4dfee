// The toolkit on Qt Widgets. Geometry arrives in twips and is turned into pixels with the
// screen's logical dpi: pixels = twips / (1440 / dpi).
#pragma once

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

#include "platform/qt/qt_units.h"
#include "platform/qt/tray_watch.h"
#include "platform/toolkit.h"

namespace qtui {

using platform::HWND;

class QtToolkit;

// A control on its widget: the handle, the enabled flag, and the name and place it was given.
template <class Kind>
class QtControl : public Kind {
 public:
  HWND hWnd() const override { return handle_; }
  void setEnabled(bool enabled) override { widget_->setEnabled(enabled); }
  bool enabled() const override { return widget_->isEnabled(); }

 protected:
  explicit QtControl(HWND handle) : handle_(handle) {}
  // The widget is made by the control's own constructor, once the control can be its owner.
  void place(QWidget* widget, const ui::ControlLayout& layout, float frame) {
    widget_ = widget;
    widget_->setObjectName(QString::fromStdString(layout.name));
    widget_->setGeometry(pixelRect(layout, frame));
    widget_->setEnabled(layout.enabled);
  }
  QWidget* widget_ = nullptr;

 private:
  HWND handle_;
};

class QtButton : public QtControl<ui::Button> {
 public:
  QtButton(QWidget* parent, const ui::ControlLayout& layout, HWND handle, float frame);
  void setCaption(const std::string& caption) override;
  std::string caption() const override { return caption_; }
  void setFont(const ui::FontStyle& font) override;
  void setWarning(const std::string& toolTip) override;

 private:
  QPushButton* button_;
  QLabel* mark_ = nullptr;  // the warning mark, made at the first warning
  std::string caption_;     // exactly as set; the widget shows it wrapped to its width
};

class QtLabel : public QtControl<ui::Label> {
 public:
  QtLabel(QWidget* parent, const ui::ControlLayout& layout, HWND handle, float frame);
};

class HookWidget;
class QtPictureBox : public QtControl<ui::PictureBox> {
 public:
  QtPictureBox(QWidget* parent, const ui::ControlLayout& layout, HWND handle, float frame);
  // Delivers a tray message the way the Windows toolkit does: a press whose X is the message.
  void deliverTrayMessage(uint32_t message);
  void trayGone() {
    if (TrayGone) TrayGone();
  }

 private:
  HookWidget* hook_;
};

class QtTimer : public ui::Timer {
 public:
  QtTimer(QObject* parent, const std::string& name, int interval);
  void setInterval(int milliseconds) override { timer_->setInterval(milliseconds); }
  int interval() const override { return timer_->interval(); }
  void setEnabled(bool enabled) override;
  bool enabled() const override { return timer_->isActive(); }
  QTimer* timer() const { return timer_; }

 private:
  QTimer* timer_;
};

class FormWidget;
class QtWindow : public ui::Window {
 public:
  QtWindow(QtToolkit& toolkit, const std::string& name, float width, float height, float frame,
           HWND handle);
  ~QtWindow() override;
  HWND hWnd() const override { return handle_; }
  void setEnabled(bool enabled) override;
  bool enabled() const override;
  float left() const override { return left_; }
  float top() const override { return top_; }
  float width() const override;
  float height() const override;
  void setLeft(float twips) override;
  void setTop(float twips) override;
  void setHeight(float twips) override;
  bool visible() const override;
  void show() override;
  void hide() override;
  ui::Button* addButton(const ui::ControlLayout& layout) override;
  ui::Label* addLabel(const ui::ControlLayout& layout) override;
  ui::PictureBox* addPictureBox(const ui::ControlLayout& layout) override;
  ui::Timer* addTimer(const std::string& name, int interval) override;
  platform::HICON icon() const override { return 1; }

  QWidget* widget() const;
  // Above other windows from now on, shown without taking the focus.
  void setTopmost();
  void fireResize();
  void syncFromWidget();  // the window manager moved us: read our place back

 private:
  void moveWidget();

  QtToolkit& toolkit_;
  FormWidget* widget_;
  HWND handle_;
  float frame_;
  float left_ = 0, top_ = 0;
  std::vector<std::unique_ptr<ui::Control>> controls_;
  std::vector<std::unique_ptr<QtTimer>> timers_;
};

class QtScreen : public ui::Screen {
 public:
  float width() const override;
  float height() const override;
  float twipsPerPixelX() const override;
  float twipsPerPixelY() const override;
  platform::RECT workArea() const override;
};

class QtWin32 : public platform::Win32 {
 public:
  explicit QtWin32(QtToolkit& toolkit);
  ~QtWin32() override;
  intptr_t ShellExecuteA(HWND hwnd, const char* lpOperation, const char* lpFile,
                         const char* lpParameters, const char* lpDirectory, int nShowCmd) override;
  bool Shell_NotifyIconA(uint32_t dwMessage, platform::NOTIFYICONDATA* lpData) override;
  HWND FindWindowA(const char* lpClassName, const char* lpWindowName) override;
  bool GetWindowRect(HWND hWnd, platform::RECT* lpRect) override;
  bool SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                    uint32_t uFlags) override;
  static constexpr HWND kTaskbar = 0x7A5C;
  static constexpr int kShowDelayMs = 250;  // an added icon reaches the tray this much later
  // The icon added for (hWnd, uID), or null; for tests and diagnostics.
  QSystemTrayIcon* trayIcon(HWND hWnd, uint32_t uID) const;
  // The mouse message the icon's window would receive for a Qt activation; 0 for none. A
  // StatusNotifierItem tray activates on a single click and has no double click, so there the
  // activation is what a double click is elsewhere.
  static uint32_t messageOf(QSystemTrayIcon::ActivationReason reason, bool statusNotifier);
  // The tray holding the icons went away: each icon's picture box hears of it.
  void trayGone();
  void setTrayState(const QString& toolTip, bool warning);
  void setTrayMenuTexts(const QString& showWindow, const QString& toCorner);
  bool notify(const QString& title, const QString& text);

 private:
  struct Icon {
    std::unique_ptr<QMenu> menu;  // outlives the icon that shows it
    std::unique_ptr<QSystemTrayIcon> icon;
    QString recordTip;  // the tooltip the record gave
  };
  void applyState(Icon& entry, const QString& recordTip);
  QtToolkit& toolkit_;
  std::map<std::pair<HWND, uint32_t>, Icon> icons_;
  TrayWatch watch_;
  QString toolTip_;  // the state's tooltip; empty: the record's
  bool warning_ = false;
  QString showWindowText_, toCornerText_;
};

class QtToolkit : public ui::Toolkit {
 public:
  QtToolkit();
  ~QtToolkit() override;
  std::unique_ptr<ui::Window> createWindow(const std::string& name, float width, float height,
                                           float frameTwips) override;
  ui::Screen& screen() override { return screen_; }
  platform::Win32& win32() override { return win32_; }
  void doEvents() override;
  // The second window and the desktop services it uses (qt_dialog.cpp).
  std::unique_ptr<ui::Window> createDialog(const std::string& name, const std::string& title,
                                           float width, float height) override;
  bool ask(ui::Window& owner, const std::string& title, const std::string& question,
           const std::string& yes, const std::string& no) override;
  void setTrayState(const std::string& toolTip, bool warning) override;
  void setTrayMenuTexts(const std::string& showWindow, const std::string& toCorner) override;
  bool notify(const std::string& title, const std::string& text) override;
  bool moveToTrash(const std::string& dosFolder, const std::string& name) override;
  bool openFolder(const std::string& dosPath) override;

  HWND newHandle() { return nextHandle_++; }
  void registerWindow(HWND handle, QtWindow* window) { windows_[handle] = window; }
  void registerPicture(HWND handle, QtPictureBox* box, HWND window) {
    pictures_[handle] = {box, window};
  }
  void forget(HWND handle);
  QtWindow* windowOf(HWND handle) const;
  QtPictureBox* pictureOf(HWND handle) const;
  QIcon programIcon() const;
  // The program's icon with a warning mark in its corner.
  QIcon warningIcon() const;

 private:
  QtScreen screen_;
  QtWin32 win32_;
  HWND nextHandle_ = 0x100;
  std::map<HWND, QtWindow*> windows_;
  struct Picture {
    QtPictureBox* box;
    HWND owner;
  };
  std::map<HWND, Picture> pictures_;
};

}  // namespace qtui
