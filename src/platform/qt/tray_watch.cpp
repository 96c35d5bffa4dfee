#include "platform/qt/tray_watch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>

#include "platform/qt/x11_window.h"

namespace qtui {
namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

}  // namespace

TrayWatch::TrayWatch(std::function<void()> gone) : gone_(std::move(gone)) {}

TrayWatch::~TrayWatch() {
  bus_.reset();
  stop();
}

bool TrayWatch::statusNotifierHost() {
  // Qt makes this choice once, for the first tray icon of the process, and keeps it; so do we, or
  // a panel started later would have us read an XEmbed icon's clicks the StatusNotifier way.
  static const bool host = askBus();
  return host;
}

bool TrayWatch::askBus() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kWatcher))
    return false;
  // Qt's own test: a watcher alone is not enough, a host (a panel's tray) must have said hello.
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcher, QStringLiteral("/StatusNotifierWatcher"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
  const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

void TrayWatch::watch(bool statusNotifier) {
  stop();
  if (statusNotifier) {
    bus_ = std::make_unique<QDBusServiceWatcher>(kWatcher, QDBusConnection::sessionBus(),
                                                 QDBusServiceWatcher::WatchForOwnerChange);
    // A new owner means the old panel went; the icon went with it.
    QObject::connect(bus_.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
                     [this](const QString&, const QString& oldOwner, const QString&) {
                       if (!oldOwner.isEmpty()) later();
                     });
    return;
  }
  manager_ = watchTrayManager();
  if (manager_ && !filtering_) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    filtering_ = true;
  }
}

void TrayWatch::later() {
  // Not from inside a signal or the event filter: the handler shows a window and changes the
  // tray. A watch stopped or renewed meanwhile is not told.
  const unsigned generation = generation_;
  QTimer::singleShot(0, this, [this, generation] {
    if (generation == generation_) lost();
  });
}

void TrayWatch::stop() {
  ++generation_;
  // Stopping may come from inside the watcher's own signal.
  if (bus_) bus_.release()->deleteLater();
  manager_ = 0;
  if (filtering_ && QCoreApplication::instance())
    QCoreApplication::instance()->removeNativeEventFilter(this);
  filtering_ = false;
}

bool TrayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (manager_ && eventType == "xcb_generic_event_t" && isDestroyOf(message, manager_)) {
    manager_ = 0;
    later();
  }
  return false;
}

void TrayWatch::lost() {
  stop();
  if (gone_) gone_();
}

}  // namespace qtui
