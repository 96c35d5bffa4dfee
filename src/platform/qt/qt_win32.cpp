// The Windows services the window uses, on the desktop: the tray icon as a QSystemTrayIcon, the
// taskbar as the panel that reserves a screen edge, topmost as the window manager's "above".
#include <QScreen>
#include <QTimer>
#include <cstring>
#include <vector>

#include "platform/process.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_units.h"

namespace qtui {

QtWin32::~QtWin32() = default;

intptr_t QtWin32::ShellExecuteA(HWND, const char*, const char* lpFile, const char*,
                                const char* lpDirectory, int) {
  return platform::shellExecute(lpFile ? lpFile : "", lpDirectory ? lpDirectory : "");
}

QtWin32::QtWin32(QtToolkit& toolkit) : toolkit_(toolkit), watch_([this] { trayGone(); }) {}

uint32_t QtWin32::messageOf(QSystemTrayIcon::ActivationReason reason, bool statusNotifier) {
  // Qt reports a press of the right button as the context request; the release follows at once.
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      return platform::WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context:
      return platform::WM_RBUTTONUP;
    case QSystemTrayIcon::Trigger:
      return statusNotifier ? platform::WM_LBUTTONDBLCLK : platform::WM_LBUTTONUP;
    default:
      return 0;
  }
}

bool QtWin32::Shell_NotifyIconA(uint32_t dwMessage, platform::NOTIFYICONDATA* data) {
  if (!data) return false;
  const auto key = std::make_pair(data->hWnd, data->uID);
  if (dwMessage == platform::NIM_DELETE) {
    const auto found = icons_.find(key);
    if (found == icons_.end()) return false;
    found->second.icon->hide();
    icons_.erase(found);
    if (icons_.empty()) watch_.stop();
    return true;
  }
  if (dwMessage != platform::NIM_ADD || icons_.count(key)) return false;
  if (!toolkit_.pictureOf(data->hWnd) || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
  const bool statusNotifier = TrayWatch::statusNotifierHost();
  Icon entry;
  entry.icon = std::make_unique<QSystemTrayIcon>(toolkit_.programIcon());
  const size_t tipLength = strnlen(data->szTip, sizeof data->szTip);
  entry.recordTip = QString::fromLocal8Bit(data->szTip, static_cast<qsizetype>(tipLength));
  applyState(entry, entry.recordTip);
  const HWND hook = data->hWnd;
  auto deliver = [this, hook](uint32_t message) {
    QtPictureBox* box = toolkit_.pictureOf(hook);
    if (box && message) box->deliverTrayMessage(message);
  };
  QObject::connect(entry.icon.get(), &QSystemTrayIcon::activated,
                   [deliver, statusNotifier](QSystemTrayIcon::ActivationReason reason) {
                     deliver(messageOf(reason, statusNotifier));
                   });
  if (statusNotifier) {
    // These trays show the item's menu on a right click; it offers what the double click and
    // the right click do on the other trays. An XEmbed tray keeps its plain right click.
    entry.menu = std::make_unique<QMenu>();
    QObject::connect(entry.menu->addAction(showWindowText_), &QAction::triggered,
                     [deliver] { deliver(platform::WM_LBUTTONDBLCLK); });
    QObject::connect(entry.menu->addAction(toCornerText_), &QAction::triggered,
                     [deliver] { deliver(platform::WM_RBUTTONUP); });
    entry.icon->setContextMenu(entry.menu.get());
  }
  // Shown a moment later: start-up adds the icon and the window's first show removes it again
  // at once. A StatusNotifier host that hears of an item only after its owner has left keeps it
  // as a ghost (xfce4-panel does); an icon removed this soon never reaches the tray.
  QSystemTrayIcon* shown = entry.icon.get();
  QTimer::singleShot(kShowDelayMs, shown, [shown] { shown->show(); });
  icons_[key] = std::move(entry);
  watch_.watch(statusNotifier);
  return true;
}

QSystemTrayIcon* QtWin32::trayIcon(HWND hWnd, uint32_t uID) const {
  const auto found = icons_.find(std::make_pair(hWnd, uID));
  return found == icons_.end() ? nullptr : found->second.icon.get();
}

void QtWin32::trayGone() {
  watch_.stop();
  // The handlers remove icons from the map: tell each box once, from a copy of the keys.
  std::vector<HWND> boxes;
  for (const auto& entry : icons_) boxes.push_back(entry.first.first);
  for (HWND hook : boxes)
    if (QtPictureBox* box = toolkit_.pictureOf(hook)) box->trayGone();
}

void QtWin32::applyState(Icon& entry, const QString& recordTip) {
  entry.icon->setToolTip(toolTip_.isEmpty() ? recordTip : toolTip_);
  entry.icon->setIcon(warning_ ? toolkit_.warningIcon() : toolkit_.programIcon());
}

void QtWin32::setTrayState(const QString& toolTip, bool warning) {
  if (toolTip == toolTip_ && warning == warning_) return;
  toolTip_ = toolTip;
  warning_ = warning;
  for (auto& entry : icons_) applyState(entry.second, entry.second.recordTip);
}

void QtWin32::setTrayMenuTexts(const QString& showWindow, const QString& toCorner) {
  showWindowText_ = showWindow;
  toCornerText_ = toCorner;
}

bool QtWin32::notify(const QString& title, const QString& text) {
  // Qt gives it to the desktop's notification service where the tray speaks D-Bus, and shows
  // its own balloon by an XEmbed icon.
  for (auto& entry : icons_) {
    if (!entry.second.icon->isVisible()) continue;
    entry.second.icon->showMessage(title, text, QSystemTrayIcon::Warning);
    return true;
  }
  return false;
}

HWND QtWin32::FindWindowA(const char* lpClassName, const char* lpWindowName) {
  if (!lpClassName || std::strcmp(lpClassName, "Shell_TrayWnd") != 0 || !lpWindowName ||
      *lpWindowName)
    return 0;
  // The taskbar is the panel that reserves space at a screen edge.
  QScreen* screen = primary();
  return screen && screen->availableGeometry() != screen->geometry() ? kTaskbar : 0;
}

bool QtWin32::GetWindowRect(HWND hWnd, platform::RECT* rect) {
  if (!rect) return false;
  if (hWnd == kTaskbar) {
    QScreen* screen = primary();
    if (!screen) return false;
    const QRect all = screen->geometry(), free = screen->availableGeometry();
    if (free == all) return false;
    // The edge the work area leaves free, bottom first: that is where a taskbar usually is.
    QRect bar = all;
    if (free.bottom() < all.bottom())
      bar.setTop(free.bottom() + 1);
    else if (free.top() > all.top())
      bar.setBottom(free.top() - 1);
    else if (free.left() > all.left())
      bar.setRight(free.left() - 1);
    else
      bar.setLeft(free.right() + 1);
    *rect = {bar.left(), bar.top(), bar.left() + bar.width(), bar.top() + bar.height()};
    return true;
  }
  QtWindow* window = toolkit_.windowOf(hWnd);
  if (!window) return false;
  const QRect frame = window->widget()->frameGeometry();
  *rect = {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
  return true;
}

bool QtWin32::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int, int, int, int, uint32_t) {
  // The window only ever asks to be topmost, without moving or sizing.
  QtWindow* window = toolkit_.windowOf(hWnd);
  if (!window || hWndInsertAfter != platform::HWND_TOPMOST) return false;
  window->setTopmost();
  return true;
}

}  // namespace qtui
