// The desktop session: the Qt application, the offscreen fallback, and a clean end on SIGTERM,
// SIGINT, SIGHUP or the end of the X session, so that the window is destroyed properly.
#include "platform/desktop.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/process.h"
#include "platform/qt/qt_toolkit.h"

namespace platform {
namespace {

int quitPipe[2] = {-1, -1};

void onQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = write(quitPipe[1], &byte, 1);
  errno = saved;
}

// The platform asked for, with Qt's offscreen platform behind it: a display that does not answer
// or a platform plugin that is missing makes Qt go on to the next platform instead of aborting.
// True when a window can be hoped for; otherwise the reason has been said.
bool chooseDisplay(std::string& wanted) {
  if (const char* given = std::getenv("QT_QPA_PLATFORM"); given && *given) {
    wanted = given;
  } else if (const char* x11 = std::getenv("DISPLAY"); x11 && *x11) {
    // Placing the window and keeping it on top need X11; under Wayland that is XWayland.
    wanted = "xcb";
  } else {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    std::fputs(wayland && *wayland
                   ? "lptspool: Wayland without XWayland (no DISPLAY): running without a window "
                     "(offscreen)\n"
                   : "lptspool: no display found; running without a window (offscreen)\n",
               stderr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return false;
  }
  if (wanted == "offscreen") return false;
  setenv("QT_QPA_PLATFORM", (wanted + ";offscreen").c_str(), 1);
  return true;
}

// Said once when Qt fell back to offscreen: which display or platform could not be used.
void sayFallback(const std::string& wanted) {
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) return;
  const char* x11 = std::getenv("DISPLAY");
  if (wanted == "xcb" && x11 && *x11)
    std::fprintf(stderr,
                 "lptspool: the display %s cannot be used; running without a window "
                 "(offscreen)\n",
                 x11);
  else
    std::fprintf(stderr,
                 "lptspool: the platform %s cannot be used; running without a window "
                 "(offscreen)\n",
                 wanted.c_str());
}

// The server shows no messages and keeps no log; Qt's own chatter is for developers only.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg || std::getenv("LPTSPOOL_DEBUG"))
    std::fprintf(stderr, "lptspool: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

int runDesktop(int argc, char** argv,
               const std::function<std::shared_ptr<void>(ui::Toolkit&)>& start) {
  std::string wanted;
  const bool windowHoped = chooseDisplay(wanted);
  qInstallMessageHandler(quietMessages);
  reapChildrenAutomatically();
  QApplication app(argc, argv);
  if (windowHoped) sayFallback(wanted);
  QApplication::setApplicationName(QStringLiteral("lptspool"));
  QApplication::setQuitOnLastWindowClosed(false);

  std::unique_ptr<QSocketNotifier> quitNotifier;
  if (pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    quitNotifier = std::make_unique<QSocketNotifier>(quitPipe[0], QSocketNotifier::Read);
    QObject::connect(quitNotifier.get(), &QSocketNotifier::activated, &app,
                     [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
  }
  // The session manager ends the session: leave the event loop the same way.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                   [] { QCoreApplication::quit(); });

  int status = 0;
  {
    qtui::QtToolkit toolkit;
    std::shared_ptr<void> program = start(toolkit);
    status = QApplication::exec();
    program.reset();
  }
  return status;
}

}  // namespace platform
