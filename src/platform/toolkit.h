// The window toolkit as the system needs it: one top-level window with buttons, a label, a picture
// box and timers; geometry in twips; mouse, show, resize and destroy events; the screen; a yield.
// Implemented with Qt Widgets on Linux (platform/qt), with Win32 windows and controls on Windows
// (platform/win32/gui), and in memory for tests (platform/memory).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace ui {

using platform::HWND;

// Mouse buttons and shift state as the system numbers them.
constexpr int vbLeftButton = 1;
constexpr int vbRightButton = 2;
constexpr int vbMiddleButton = 4;

using MouseHandler = std::function<void(int Button, int Shift, float X, float Y)>;

struct ControlLayout {
  std::string name;  // the control's name; also its objectName in the Qt toolkit
  float left = 0, top = 0, width = 0, height = 0;  // twips, relative to the client area
  std::string caption;                             // UTF-8
  int tabIndex = 0;
  bool enabled = true;
};

struct FontStyle {
  std::string family;
  float points = 0;
  int weight = 400;
};

class Control {
 public:
  virtual ~Control() = default;
  virtual HWND hWnd() const = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual bool enabled() const = 0;
};

class Button : public Control {
 public:
  virtual void setCaption(const std::string& caption) = 0;
  virtual std::string caption() const = 0;
  virtual void setFont(const FontStyle& font) = 0;
  // A warning mark and colour, with the tooltip that says why; an empty text takes them away.
  // The caption stays as it is.
  virtual void setWarning(const std::string& toolTip) { warning_ = toolTip; }
  std::string warning() const { return warning_; }
  std::function<void()> Click;

 protected:
  std::string warning_;
};

class Label : public Control {
 public:
  // A label that shows text; the drag strip shows none.
  virtual void setCaption(const std::string& caption) { caption_ = caption; }
  virtual std::string caption() const { return caption_; }
  MouseHandler MouseDown;
  MouseHandler MouseMove;
  std::function<void()> DblClick;

 protected:
  std::string caption_;
};

class PictureBox : public Control {
 public:
  MouseHandler MouseDown;
  // The tray that holds this box's icon went away (its panel ended or was removed).
  std::function<void()> TrayGone;
};

// Rows of text under column headers, one row selectable at a time.
class Table : public Control {
 public:
  virtual void setRows(const std::vector<std::vector<std::string>>& rows) = 0;
  virtual std::size_t rowCount() const = 0;
  virtual std::string cell(std::size_t row, std::size_t column) const = 0;
  virtual int currentRow() const = 0;  // -1 when none is selected
  virtual void setCurrentRow(int row) = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void setInterval(int milliseconds) = 0;
  virtual int interval() const = 0;
  // Enabling restarts the interval, as switching a timer on does on Windows.
  virtual void setEnabled(bool enabled) = 0;
  virtual bool enabled() const = 0;
  std::function<void()> Tick;
};

class Window : public Control {
 public:
  // Outer geometry in twips.
  virtual float left() const = 0;
  virtual float top() const = 0;
  virtual float width() const = 0;
  virtual float height() const = 0;
  virtual void setLeft(float twips) = 0;
  virtual void setTop(float twips) = 0;
  virtual void setHeight(float twips) = 0;
  virtual bool visible() const = 0;
  virtual void show() = 0;
  virtual void hide() = 0;
  // The window owns what it creates; the pointers live as long as the window.
  virtual Button* addButton(const ControlLayout& layout) = 0;
  virtual Label* addLabel(const ControlLayout& layout) = 0;
  virtual PictureBox* addPictureBox(const ControlLayout& layout) = 0;
  virtual Timer* addTimer(const std::string& name, int interval) = 0;
  // Null where the host has no tables.
  virtual Table* addTable(const ControlLayout&, const std::vector<std::string>& /*headers*/) {
    return nullptr;
  }
  virtual platform::HICON icon() const = 0;

  std::function<void()> Resize;  // first show and every change of size
  std::function<void()> Unload;  // destruction at the end of the process
  // The screen's work area changed (a panel appeared, moved or went away).
  std::function<void()> WorkAreaChanged;
};

class Screen {
 public:
  virtual ~Screen() = default;
  virtual float width() const = 0;  // twips
  virtual float height() const = 0;
  virtual float twipsPerPixelX() const = 0;
  virtual float twipsPerPixelY() const = 0;
  // The part of the screen not reserved by panels, in pixels.
  virtual platform::RECT workArea() const = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // A fixed-size, borderless top-level window, outer size in twips, with a frame of frameTwips.
  virtual std::unique_ptr<Window> createWindow(const std::string& name, float width, float height,
                                               float frameTwips) = 0;
  virtual Screen& screen() = 0;
  virtual platform::Win32& win32() = 0;
  // Processes the pending events, then returns.
  virtual void doEvents() = 0;

  // A second window for the desktop, with a title bar and a close box, outer size in twips; null
  // where the host has none. Closing it only hides it.
  virtual std::unique_ptr<Window> createDialog(const std::string& /*name*/,
                                               const std::string& /*title*/, float /*width*/,
                                               float /*height*/) {
    return nullptr;
  }
  // A question over the window with two buttons, the second the default; true for the first.
  virtual bool ask(Window&, const std::string& /*title*/, const std::string& /*question*/,
                   const std::string& /*yes*/, const std::string& /*no*/) {
    return false;
  }
  // The tray icon's tooltip and whether it carries the warning mark, for the icon shown now and
  // any added later; an empty tooltip is the record's own. The texts of its menu, where the tray
  // shows one.
  virtual void setTrayState(const std::string& /*toolTip*/, bool /*warning*/) {}
  virtual void setTrayMenuTexts(const std::string& /*showWindow*/,
                                const std::string& /*toCorner*/) {}
  // A desktop notification from the tray icon; false where there is no icon to give it.
  virtual bool notify(const std::string& /*title*/, const std::string& /*text*/) { return false; }
  // Moves a file of a folder (DOS, ending in a backslash) to the desktop's trash; false where
  // there is none or it failed. The name is taken as it stands, never as a path.
  virtual bool moveToTrash(const std::string& /*dosFolder*/, const std::string& /*name*/) {
    return false;
  }
  // Opens a folder (DOS path) in the desktop's file manager.
  virtual bool openFolder(const std::string& /*dosPath*/) { return false; }
};

}  // namespace ui
