// The window on Qt Widgets: a fixed-size, borderless top-level window without a taskbar button,
// its place kept in twips, and the screen it sits on.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_units.h"
#include "platform/qt/x11_window.h"

namespace qtui {

class FormWidget : public QWidget {
 public:
  FormWidget(QtWindow& owner, float frame) : owner_(owner), frame_(frame) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int border = std::max(1, toPixels(frame_, twipsPerPixel(true)));
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    painter.fillRect(rect().adjusted(border, border, -border, -border),
                     palette().color(QPalette::Window));
  }
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    if (!shownOnce_) {
      shownOnce_ = true;
      owner_.fireResize();
    }
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (shownOnce_ && event->oldSize().isValid() && event->oldSize() != event->size())
      owner_.fireResize();
  }
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    owner_.syncFromWidget();
  }
  // The window has no close box, but a window manager can still ask it to close (Alt+F4): that
  // ends the program the orderly way, by leaving the event loop, rather than hiding the window
  // with no icon to bring it back.
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    QCoreApplication::quit();
  }

 private:
  QtWindow& owner_;
  float frame_;
  bool shownOnce_ = false;
};

QtWindow::QtWindow(QtToolkit& toolkit, const std::string& name, float width, float height,
                   float frame, HWND handle)
    : toolkit_(toolkit), widget_(new FormWidget(*this, frame)), handle_(handle), frame_(frame) {
  widget_->setObjectName(QString::fromStdString(name));
  // A tool window: no title bar, no taskbar button (see keepOffTaskbar), not in window lists.
  widget_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  widget_->setAttribute(Qt::WA_ShowWithoutActivating);
  widget_->setWindowTitle(QStringLiteral("lptspool"));
  widget_->setWindowIcon(toolkit.programIcon());
  widget_->setFixedSize(toPixels(width, twipsPerPixel(true)),
                        toPixels(height, twipsPerPixel(false)));
  toolkit_.registerWindow(handle, this);
  if (QScreen* screen = primary())
    QObject::connect(screen, &QScreen::availableGeometryChanged, widget_, [this] {
      if (WorkAreaChanged) WorkAreaChanged();
    });
}

QtWindow::~QtWindow() {
  toolkit_.forget(handle_);
  timers_.clear();
  controls_.clear();
  delete widget_;
}

void QtWindow::setEnabled(bool enabled) {
  widget_->setEnabled(enabled);
}
bool QtWindow::enabled() const {
  return widget_->isEnabled();
}
float QtWindow::width() const {
  return widget_->width() * twipsPerPixel(true);
}
float QtWindow::height() const {
  return widget_->height() * twipsPerPixel(false);
}
QWidget* QtWindow::widget() const {
  return widget_;
}

void QtWindow::moveWidget() {
  widget_->move(toPixels(left_, twipsPerPixel(true)), toPixels(top_, twipsPerPixel(false)));
}

void QtWindow::setLeft(float twips) {
  left_ = twips;
  moveWidget();
  left_ = twips;  // the move event rounded it; the system keeps its own single-precision value
}

void QtWindow::setTop(float twips) {
  top_ = twips;
  moveWidget();
  top_ = twips;
}

void QtWindow::syncFromWidget() {
  // Keep the exact value while it still rounds to where the window is; take the window
  // manager's place when it put us elsewhere.
  const float perX = twipsPerPixel(true), perY = twipsPerPixel(false);
  if (toPixels(left_, perX) != widget_->x()) left_ = widget_->x() * perX;
  if (toPixels(top_, perY) != widget_->y()) top_ = widget_->y() * perY;
}

void QtWindow::setHeight(float twips) {
  widget_->setFixedHeight(toPixels(twips, twipsPerPixel(false)));
}

bool QtWindow::visible() const {
  return widget_->isVisible();
}

void QtWindow::show() {
  moveWidget();
  if (!widget_->isVisible()) {
    widget_->show();
    keepOffTaskbar(widget_);
  }
}

void QtWindow::hide() {
  widget_->hide();
}

void QtWindow::fireResize() {
  if (Resize) Resize();
}

void QtWindow::setTopmost() {
  const Qt::WindowFlags flags = widget_->windowFlags() | Qt::WindowStaysOnTopHint;
  if (flags != widget_->windowFlags()) {
    // Tell the window system directly: QWidget::setWindowFlags would hide the window to change
    // them, and this runs while the window is being shown.
    widget_->overrideWindowFlags(flags);
    if (QWindow* native = widget_->windowHandle()) native->setFlags(flags);
  }
  show();
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) widget_->raise();
}

ui::Button* QtWindow::addButton(const ui::ControlLayout& layout) {
  auto button = std::make_unique<QtButton>(widget_, layout, toolkit_.newHandle(), frame_);
  ui::Button* raw = button.get();
  controls_.push_back(std::move(button));
  return raw;
}

ui::Label* QtWindow::addLabel(const ui::ControlLayout& layout) {
  auto label = std::make_unique<QtLabel>(widget_, layout, toolkit_.newHandle(), frame_);
  ui::Label* raw = label.get();
  controls_.push_back(std::move(label));
  return raw;
}

ui::PictureBox* QtWindow::addPictureBox(const ui::ControlLayout& layout) {
  const HWND handle = toolkit_.newHandle();
  auto box = std::make_unique<QtPictureBox>(widget_, layout, handle, frame_);
  toolkit_.registerPicture(handle, box.get(), handle_);
  ui::PictureBox* raw = box.get();
  controls_.push_back(std::move(box));
  return raw;
}

ui::Timer* QtWindow::addTimer(const std::string& name, int interval) {
  timers_.push_back(std::make_unique<QtTimer>(widget_, name, interval));
  return timers_.back().get();
}

float QtScreen::width() const {
  return primary() ? primary()->geometry().width() * twipsPerPixelX() : 0;
}
float QtScreen::height() const {
  return primary() ? primary()->geometry().height() * twipsPerPixelY() : 0;
}
float QtScreen::twipsPerPixelX() const {
  return twipsPerPixel(true);
}
float QtScreen::twipsPerPixelY() const {
  return twipsPerPixel(false);
}
platform::RECT QtScreen::workArea() const {
  if (!primary()) return {};
  const QRect area = primary()->availableGeometry();
  return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

}  // namespace qtui
