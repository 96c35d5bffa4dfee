// The event loop during a big tick: a 1 ms timer stamps every time the loop gets to run it, and
// the longest gap between two stamps while tmrPrint_Timer() runs is how long a click on the
// window would wait at worst. The same timer over an idle loop of the same length is the floor.
//
//   bench_responsive JOBS launch|record
// launch starts the real lptspool-launch for each job (LPT1 = a scratch sink folder, no settle
// time) and waits until every job has landed; record only records the ShellExecuteA calls.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/frm_main.h"
#include "bench_folder.h"
#include "platform/memory/memory_toolkit.h"
#include "platform/process.h"
#include "platform/qt/qt_toolkit.h"

namespace {

class RecordingQtToolkit : public qtui::QtToolkit {
 public:
  platform::Win32& win32() override { return recorder; }
  memory::RecordingWin32 recorder;
};

struct GapMeter {
  QElapsedTimer clock;
  qint64 last = 0;
  qint64 longest = 0;
  long firings = 0;
  void start() {
    clock.start();
    last = 0;
    longest = 0;
    firings = 0;
  }
  void stamp() {
    const qint64 now = clock.nsecsElapsed();
    if (now - last > longest) longest = now - last;
    last = now;
    ++firings;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int jobs = argc > 1 ? std::atoi(argv[1]) : 1000;
  const bool launch = argc > 2 && std::string(argv[2]) == "launch";
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  BenchFolder spool("responsive");
  BenchFolder sink("responsive-sink");
  setenv("LPT1", sink.host().c_str(), 1);
  setenv("LPTSPOOL_SETTLE_MS", "0", 1);
  spool.addJobs(jobs, 8192);

  QApplication app(argc, argv);
  platform::reapChildrenAutomatically();
  std::unique_ptr<qtui::QtToolkit> toolkit =
      launch ? std::make_unique<qtui::QtToolkit>() : std::make_unique<RecordingQtToolkit>();
  frmMain form{*toolkit};
  form.PrintingDir = spool.dos();
  form.window->show();

  GapMeter meter;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(1);
  QObject::connect(&probe, &QTimer::timeout, [&] { meter.stamp(); });

  double idleMs = 0, tickMs = 0, tickGapMs = 0;
  // First an idle loop, then the tick, each started from the loop like the real timer.
  QTimer::singleShot(100, [&] {
    meter.start();
    probe.start();
    QTimer::singleShot(1000, [&] {
      idleMs = double(meter.longest) / 1e6;
      QTimer::singleShot(0, [&] {
        meter.start();
        form.tmrPrint_Timer();
        meter.stamp();
        tickMs = double(meter.clock.nsecsElapsed()) / 1e6;
        tickGapMs = double(meter.longest) / 1e6;
        probe.stop();
        app.quit();
      });
    });
  });
  app.exec();

  if (form.lngDocuments != jobs) {
    std::fprintf(stderr, "bench_responsive: the tick counted %d of %d jobs\n", form.lngDocuments,
                 jobs);
    return 1;
  }
  if (launch) {
    // The launchers run on after the tick; the next measurement must not share the machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while ((spool.entries() > 0 || sink.entries() < jobs) &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (sink.entries() != jobs) {
      std::fprintf(stderr, "bench_responsive: %d of %d jobs landed\n", sink.entries(), jobs);
      return 1;
    }
  }
  std::printf("longest_gap_ms %.2f idle_gap_ms %.2f tick_ms %.1f\n", tickGapMs, idleMs, tickMs);
  return 0;
}
