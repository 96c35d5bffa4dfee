// The tray icon and the window's visibility. The icon's mouse messages come back to pichook as
// presses whose X is the message number in twips.
#include <cmath>
#include <cstring>

#include "app/frm_main.h"
#include "ui_text/ui_text.h"

bool frmMain::addTrayIcon() {
  nid.cbSize = sizeof nid;
  nid.hWnd = pichook->hWnd();
  nid.uID = 1;
  nid.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
  nid.uCallbackMessage = platform::WM_LBUTTONDOWN;
  nid.hIcon = window->icon();
  std::memset(nid.szTip, ' ', sizeof nid.szTip);
  const std::string title = uitext::text(uitext::T::Title);
  std::memcpy(nid.szTip, title.c_str(), title.size() + 1);
  // Adding fails also when the icon is already there (a right click on it shows the window and
  // leaves the icon): that still counts as an icon to come back by.
  if (toolkit_.win32().Shell_NotifyIconA(platform::NIM_ADD, &nid)) trayIconShown_ = true;
  return trayIconShown_;
}

void frmMain::removeTrayIcon() {
  nid.cbSize = sizeof nid;
  nid.hWnd = pichook->hWnd();
  nid.uID = 1;
  toolkit_.win32().Shell_NotifyIconA(platform::NIM_DELETE, &nid);
  trayIconShown_ = false;
}

void frmMain::Form_Resize() {
  if (window->visible()) {
    toolkit_.win32().SetWindowPos(window->hWnd(), platform::HWND_TOPMOST, 0, 0, 0, 0,
                                  platform::SWP_NOSIZE | platform::SWP_NOMOVE |
                                      platform::SWP_NOACTIVATE | platform::SWP_SHOWWINDOW);
    removeTrayIcon();
  } else {
    addTrayIcon();
  }
}

void frmMain::cmdClose_Click() {
  window->hide();
  // Without a tray there would be no way back to a hidden window.
  if (!addTrayIcon()) {
    window->show();
    Form_Resize();
  }
}

void frmMain::pichook_MouseDown(int /*Button*/, int /*Shift*/, float X, float /*Y*/) {
  const long message = std::lround(X / toolkit_.screen().twipsPerPixelX());
  if (message == platform::WM_LBUTTONDBLCLK) {
    window->show();
    Form_Resize();
  } else if (message == platform::WM_RBUTTONUP) {
    window->show();
    tmrMove->setEnabled(true);
  }
}

void frmMain::pichook_TrayGone() {
  if (!window->visible()) {
    window->show();
    Form_Resize();
  } else {
    // Shown by a right click, the icon was left in place; it is gone with the tray now.
    removeTrayIcon();
  }
}

void frmMain::Form_Unload() {
  removeTrayIcon();
}
