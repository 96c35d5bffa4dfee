// The window on the Qt toolkit, on Qt's offscreen platform with a 1024 x 768 screen at 96 dpi:
// its layout in pixels, captions and states after start-up, and the mouse paths into the shell.
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <tuple>
#include <utility>

#include "app/frm_main.h"
#include "platform/process.h"
#include "platform/qt/qt_toolkit.h"

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void afterStartUp();
  void statusButtonRestoresHeight();
  void trayMessagesReachPichook();
  void slideFirstSteps();
  void theStrip();
  void closeRequestEndsTheLoopNotTheWindow();

 private:
  QWidget* top() { return findTop(); }
  QWidget* findTop();
  template <typename T = QWidget>
  T* control(const char* name) {
    return top()->findChild<T*>(QString::fromLatin1(name));
  }
  void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
             Qt::MouseButtons buttons);

  QTemporaryDir spool_;
  std::unique_ptr<qtui::QtToolkit> toolkit_;
  std::unique_ptr<frmMain> form_;
};

QWidget* WindowTest::findTop() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("frmMain")) return widget;
  return nullptr;
}

void WindowTest::mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
                       Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

void WindowTest::init() {
  const QByteArray option = "PRINTINGDIR=" + spool_.path().toLocal8Bit() + "/";
  const char* argv[] = {"lptspool", option.constData()};
  platform::setArguments(2, argv);
  toolkit_ = std::make_unique<qtui::QtToolkit>();
  form_ = std::make_unique<frmMain>(*toolkit_);
  form_->Form_Load();
  form_->window->show();
  QVERIFY(QTest::qWaitForWindowExposed(top()));
}

void WindowTest::cleanup() {
  form_.reset();
  toolkit_.reset();
}

void WindowTest::afterStartUp() {
  // Twips plus the 15-twip frame, at 15 twips per pixel.
  const std::pair<const char*, QRect> layout[] = {
      {"lblMove", {1, 1, 113, 17}},  {"cmdClose", {113, 1, 17, 17}}, {"cmdStart", {1, 17, 65, 65}},
      {"cmdStop", {65, 17, 65, 65}}, {"cmdShow", {1, 81, 129, 49}},  {"pichook", {33, 89, 17, 33}}};
  for (const auto& [name, geometry] : layout) QCOMPARE(control(name)->geometry(), geometry);
  QWidget* window = top();
  QCOMPARE(window->size(), QSize(130, 130));
  QCOMPARE(form_->window->width(), 1950.0f);
  // The offscreen screen reserves nothing: the window sits on the screen's bottom edge.
  QCOMPARE(window->pos(), QPoint(1024 - 130, 768 - 130));
  QCOMPARE(form_->window->left(), 13410.0f);
  QCOMPARE(form_->window->top(), 9570.0f);
  const Qt::WindowFlags flags = window->windowFlags();
  QVERIFY(flags & Qt::FramelessWindowHint);
  QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);  // no taskbar button
  QVERIFY(flags & Qt::WindowStaysOnTopHint);        // set by the first show
  QVERIFY(window->isVisible());
  QVERIFY(!control("pichook")->isVisible());
  QCOMPARE(window->findChild<QTimer*>("tmrMove")->interval(), 10);
  QVERIFY(!window->findChild<QTimer*>("tmrMove")->isActive());
  QCOMPARE(window->findChild<QTimer*>("tmrPrint")->interval(), 7000);
  QVERIFY(window->findChild<QTimer*>("tmrPrint")->isActive());

  // Captions too wide for a button break at their spaces; "-" is large and bold.
  const std::tuple<const char*, const char*, bool> buttons[] = {
      {"cmdStart", "Starta\nservern", false},
      {"cmdStop", "Stoppa\nservern", true},
      {"cmdShow", "Visa alla dokument\nVänta...", false},
      {"cmdClose", "-", true}};
  for (const auto& [name, text, enabled] : buttons) {
    QCOMPARE(control<QPushButton>(name)->text(), QString::fromUtf8(text));
    QCOMPARE(control(name)->isEnabled(), enabled);
  }
  QCOMPARE(control("cmdClose")->font().pointSizeF(), 24.0);
  QCOMPARE(control("cmdClose")->font().weight(), QFont::Bold);
  QVERIFY(control("cmdStart")->font().pointSizeF() < 24.0);

  QStringList order;
  for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
    if (!w->objectName().isEmpty()) order << w->objectName();
  QCOMPARE(order,
           QStringList({"cmdStart", "cmdStop", "cmdShow", "lblMove", "pichook", "cmdClose"}));

  // The program's icon is rendered from the SVG, not a blank: some pixel is drawn.
  const QImage image = window->windowIcon().pixmap(22, 22).toImage();
  QCOMPARE(image.size(), QSize(22, 22));
  bool drawn = false;
  for (int y = 0; y < image.height() && !drawn; ++y)
    for (int x = 0; x < image.width() && !drawn; ++x) drawn = qAlpha(image.pixel(x, y)) > 0;
  QVERIFY(drawn);
}

void WindowTest::statusButtonRestoresHeight() {
  form_->window->setHeight(2400);
  QCOMPARE(top()->height(), 160);
  form_->cmdShow_Click();
  QCOMPARE(top()->height(), 130);
  QCOMPARE(top()->pos(), QPoint(894, 638));
}

void WindowTest::trayMessagesReachPichook() {
  using qtui::QtWin32;
  // On a StatusNotifierItem tray the single activation is the way back, as a double click is
  // on an XEmbed tray, where a single click does nothing.
  for (bool sni : {false, true}) {
    QCOMPARE(QtWin32::messageOf(QSystemTrayIcon::DoubleClick, sni), platform::WM_LBUTTONDBLCLK);
    QCOMPARE(QtWin32::messageOf(QSystemTrayIcon::Context, sni), platform::WM_RBUTTONUP);
    QCOMPARE(QtWin32::messageOf(QSystemTrayIcon::MiddleClick, sni), 0u);
  }
  QCOMPARE(QtWin32::messageOf(QSystemTrayIcon::Trigger, false), platform::WM_LBUTTONUP);
  QCOMPARE(QtWin32::messageOf(QSystemTrayIcon::Trigger, true), platform::WM_LBUTTONDBLCLK);

  // The message arrives as twips at this screen's factor; what each one does is the shell's.
  form_->window->hide();
  static_cast<qtui::QtPictureBox*>(form_->pichook)->deliverTrayMessage(platform::WM_LBUTTONDBLCLK);
  QVERIFY(top()->isVisible());
  QCOMPARE(top()->pos(), QPoint(894, 638));
}

void WindowTest::slideFirstSteps() {
  form_->window->setLeft(13410 - 150);
  QCOMPARE(top()->x(), 884);
  form_->tmrMove_Timer();
  QCOMPARE(form_->window->left(), 13410.0f - 140);
  QCOMPARE(top()->x(), 885);  // 13270 twips, rounded to the pixel
  form_->tmrMove_Timer();
  QVERIFY(qAbs(form_->window->left() - (13410.0f - 140 + 9.3333f)) < 0.002f);
  QCOMPARE(top()->x(), 885);  // the exact place is kept though the pixel stays
}

// A press stops a slide, the left button drags, a double click slides the window home.
void WindowTest::theStrip() {
  QWidget* strip = control("lblMove");
  QTimer* slide = top()->findChild<QTimer*>("tmrMove");
  const QPoint before = top()->pos();
  form_->lblMove_DblClick();
  mouse(strip, QEvent::MouseButtonPress, {10, 5}, Qt::LeftButton, Qt::LeftButton);
  QVERIFY(!slide->isActive());
  mouse(strip, QEvent::MouseMove, {40, 8}, Qt::NoButton, Qt::LeftButton);
  QCOMPARE(top()->pos(), before + QPoint(30, 3));
  mouse(strip, QEvent::MouseMove, {90, 50}, Qt::NoButton, Qt::RightButton);
  QCOMPARE(top()->pos(), before + QPoint(30, 3));
  mouse(strip, QEvent::MouseButtonRelease, {40, 8}, Qt::LeftButton, Qt::NoButton);
  mouse(strip, QEvent::MouseButtonDblClick, {40, 8}, Qt::LeftButton, Qt::LeftButton);
  QVERIFY(slide->isActive());
  // Wait for the slide, not for a fixed time.
  form_->window->setLeft(9000);
  QTRY_VERIFY_WITH_TIMEOUT(qAbs(top()->x() - 894) <= 1, 5000);
}

void WindowTest::closeRequestEndsTheLoopNotTheWindow() {
  // A window manager's close (Alt+F4) must not leave a hidden window without a tray icon: the
  // program leaves its event loop instead, and the window goes with the program.
  bool quit = false;
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, this, [&] { quit = true; });
  QTimer::singleShot(0, this, [this] { QVERIFY(!top()->close()); });
  QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
  QCOMPARE(QCoreApplication::exec(), 0);
  QVERIFY(quit);
  QVERIFY(top()->isVisible());
}

int main(int argc, char** argv) {
  // A known screen, whatever the machine has: 1024 x 768 at 96 dpi.
  QTemporaryDir config;
  const QString file = config.filePath(QStringLiteral("screen.json"));
  QFile json(file);
  if (!json.open(QIODevice::WriteOnly)) return 2;
  json.write(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": 1024, "height": 768,
                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  json.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toLocal8Bit());
  QApplication app(argc, argv);
  WindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_test.moc"
