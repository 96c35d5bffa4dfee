// Which kind of tray the icon goes into, and a watch on that tray so that the window can come
// back when the tray goes away with the icon in it.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>
#include <memory>

class QDBusServiceWatcher;

namespace qtui {

class TrayWatch : public QObject, public QAbstractNativeEventFilter {
 public:
  explicit TrayWatch(std::function<void()> gone);
  ~TrayWatch() override;

  // True when a StatusNotifierItem host was registered on the session bus when the first icon was
  // added: Qt then hands icons to it over D-Bus instead of embedding them in an XEmbed tray. Such
  // trays know no double click and ask the item for a menu on a right click.
  static bool statusNotifierHost();

  // Watches the tray an icon was just put into; once it goes, `gone` runs once.
  void watch(bool statusNotifier);
  void stop();

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  static bool askBus();
  void later();
  void lost();

  std::function<void()> gone_;
  std::unique_ptr<QDBusServiceWatcher> bus_;
  uint32_t manager_ = 0;  // the XEmbed tray manager's window, 0 when none is watched
  bool filtering_ = false;
  unsigned generation_ = 0;  // counts watches, so that a late report of an old tray is dropped
};

}  // namespace qtui
