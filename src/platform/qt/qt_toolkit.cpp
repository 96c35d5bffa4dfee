#include "platform/qt/qt_toolkit.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <cmath>

#include "platform/process.h"

// The icon lives in this static library's resources, which a program must load explicitly.
static void initResources() {
  Q_INIT_RESOURCE(resources);
}

namespace qtui {
namespace {

QScreen* primary() {
  return QGuiApplication::primaryScreen();
}

float twipsPerPixel(bool horizontal) {
  QScreen* screen = primary();
  const qreal dpi =
      screen ? (horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY()) : 96;
  return static_cast<float>(1440.0 / (dpi > 0 ? dpi : 96));
}

int toPixels(float twips, float perPixel) {
  return static_cast<int>(std::lround(twips / perPixel));
}

QRect pixelRect(const ui::ControlSpec& spec, float perPixel, float frame) {
  return QRect(toPixels(spec.left + frame, perPixel), toPixels(spec.top + frame, perPixel),
               toPixels(spec.width, perPixel), toPixels(spec.height, perPixel));
}

int buttonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return ui::vbLeftButton;
    case Qt::RightButton:
      return ui::vbRightButton;
    case Qt::MiddleButton:
      return ui::vbMiddleButton;
    default:
      return 0;
  }
}

int buttonsOf(Qt::MouseButtons buttons) {
  int mask = 0;
  if (buttons & Qt::LeftButton) mask |= ui::vbLeftButton;
  if (buttons & Qt::RightButton) mask |= ui::vbRightButton;
  if (buttons & Qt::MiddleButton) mask |= ui::vbMiddleButton;
  return mask;
}

int shiftOf(Qt::KeyboardModifiers modifiers) {
  int mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= 1;
  if (modifiers & Qt::ControlModifier) mask |= 2;
  if (modifiers & Qt::AltModifier) mask |= 4;
  return mask;
}

QString displayed(const std::string& caption) {
  // The caption's lines are joined by CR LF; a Qt button breaks lines on LF alone.
  QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
  text.remove(QLatin1Char('\r'));
  return text;
}

}  // namespace

// --- widgets -------------------------------------------------------------------------------

class FormWidget : public QWidget {
 public:
  FormWidget(QtWindow& owner, float frame) : owner_(owner), frame_(frame) {}
  bool shownOnce = false;

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
    if (!shownOnce) {
      shownOnce = true;
      owner_.fireResize();
    }
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (shownOnce && event->oldSize().isValid() && event->oldSize() != event->size())
      owner_.fireResize();
  }
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    owner_.syncFromWidget();
  }

 private:
  QtWindow& owner_;
  float frame_;
};

class StripWidget : public QLabel {
 public:
  explicit StripWidget(QWidget* parent, ui::Label& owner) : QLabel(parent), owner_(owner) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (owner_.MouseDown)
      owner_.MouseDown(buttonOf(event->button()), shiftOf(event->modifiers()),
                       twips(event->position().x(), true), twips(event->position().y(), false));
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (owner_.MouseMove)
      owner_.MouseMove(buttonsOf(event->buttons()), shiftOf(event->modifiers()),
                       twips(event->position().x(), true), twips(event->position().y(), false));
  }
  void mouseDoubleClickEvent(QMouseEvent*) override {
    if (owner_.DblClick) owner_.DblClick();
  }

 private:
  static float twips(qreal pixels, bool horizontal) {
    return static_cast<float>(pixels) * twipsPerPixel(horizontal);
  }
  ui::Label& owner_;
};

class HookWidget : public QWidget {
 public:
  explicit HookWidget(QWidget* parent, ui::PictureBox& owner) : QWidget(parent), owner_(owner) {}
  void press(int button, float x) {
    if (owner_.MouseDown) owner_.MouseDown(button, 0, x, 0);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    const float perPixel = twipsPerPixel(true);
    if (owner_.MouseDown)
      owner_.MouseDown(buttonOf(event->button()), shiftOf(event->modifiers()),
                       static_cast<float>(event->position().x()) * perPixel,
                       static_cast<float>(event->position().y()) * twipsPerPixel(false));
  }

 private:
  ui::PictureBox& owner_;
};

// --- controls ------------------------------------------------------------------------------

QtButton::QtButton(QWidget* parent, const ui::ControlSpec& spec, HWND handle, float perPixel,
                   float frame)
    : widget_(new QPushButton(parent)), handle_(handle) {
  widget_->setObjectName(QString::fromStdString(spec.name));
  widget_->setGeometry(pixelRect(spec, perPixel, frame));
  widget_->setEnabled(spec.enabled);
  setCaption(spec.caption);
  QObject::connect(widget_, &QPushButton::clicked, [this] {
    if (Click) Click();
  });
}

void QtButton::setCaption(const std::string& caption) {
  caption_ = caption;
  widget_->setText(displayed(caption));
}

void QtButton::setFont(const ui::FontSpec& spec) {
  QFont font(QString::fromStdString(spec.family));
  // Hosts without the font get the closest bold sans serif.
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(spec.points);
  font.setWeight(spec.weight >= 700 ? QFont::Bold : QFont::Normal);
  widget_->setFont(font);
}

QtLabel::QtLabel(QWidget* parent, const ui::ControlSpec& spec, HWND handle, float perPixel,
                 float frame)
    : widget_(new StripWidget(parent, *this)), handle_(handle) {
  widget_->setObjectName(QString::fromStdString(spec.name));
  widget_->setGeometry(pixelRect(spec, perPixel, frame));
  widget_->setAutoFillBackground(true);
  widget_->setBackgroundRole(QPalette::Mid);
  widget_->setCursor(Qt::SizeAllCursor);
}
void QtLabel::setEnabled(bool enabled) {
  widget_->setEnabled(enabled);
}
bool QtLabel::enabled() const {
  return widget_->isEnabled();
}
QWidget* QtLabel::widget() const {
  return widget_;
}

QtPictureBox::QtPictureBox(QWidget* parent, const ui::ControlSpec& spec, HWND handle,
                           float perPixel, float frame)
    : widget_(new HookWidget(parent, *this)), handle_(handle) {
  widget_->setObjectName(QString::fromStdString(spec.name));
  widget_->setGeometry(pixelRect(spec, perPixel, frame));
  // It only receives the tray's messages; nothing to see.
  widget_->hide();
}
void QtPictureBox::setEnabled(bool enabled) {
  widget_->setEnabled(enabled);
}
bool QtPictureBox::enabled() const {
  return widget_->isEnabled();
}
QWidget* QtPictureBox::widget() const {
  return widget_;
}
void QtPictureBox::deliverTrayMessage(uint32_t message, float twipsPerPixelX) {
  widget_->press(ui::vbLeftButton, static_cast<float>(message) * twipsPerPixelX);
}

QtTimer::QtTimer(QObject* parent, const std::string& name, int interval)
    : timer_(new QTimer(parent)) {
  timer_->setObjectName(QString::fromStdString(name));
  timer_->setInterval(interval);
  timer_->setTimerType(interval < 100 ? Qt::PreciseTimer : Qt::CoarseTimer);
  QObject::connect(timer_, &QTimer::timeout, [this] {
    if (Tick) Tick();
  });
}

void QtTimer::setEnabled(bool enabled) {
  if (enabled && !timer_->isActive())
    timer_->start();
  else if (!enabled)
    timer_->stop();
}

// --- window --------------------------------------------------------------------------------

QtWindow::QtWindow(QtToolkit& toolkit, const std::string& name, float width, float height,
                   float frame, HWND handle)
    : toolkit_(toolkit), widget_(new FormWidget(*this, frame)), handle_(handle), frame_(frame) {
  widget_->setObjectName(QString::fromStdString(name));
  widget_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  widget_->setAttribute(Qt::WA_ShowWithoutActivating);
  widget_->setWindowTitle(QStringLiteral("lptspool"));
  widget_->setWindowIcon(toolkit.programIcon());
  const float perX = twipsPerPixel(true), perY = twipsPerPixel(false);
  widget_->setFixedSize(toPixels(width, perX), toPixels(height, perY));
  toolkit_.registerWindow(handle, this);
  QObject::connect(QGuiApplication::primaryScreen(), &QScreen::availableGeometryChanged, widget_,
                   [this] {
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

void QtWindow::setLeft(float twips) {
  left_ = twips;
  widget_->move(toPixels(left_, twipsPerPixel(true)), toPixels(top_, twipsPerPixel(false)));
  left_ = twips;  // the move event rounded it; the system keeps its own single-precision value
}

void QtWindow::setTop(float twips) {
  top_ = twips;
  widget_->move(toPixels(left_, twipsPerPixel(true)), toPixels(top_, twipsPerPixel(false)));
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
  widget_->show();
  widget_->move(toPixels(left_, twipsPerPixel(true)), toPixels(top_, twipsPerPixel(false)));
}

void QtWindow::hide() {
  widget_->hide();
}

void QtWindow::fireResize() {
  if (Resize) Resize();
}

void QtWindow::setTopmost() {
  if (!(widget_->windowFlags() & Qt::WindowStaysOnTopHint)) {
    // Changing the flags hides a top-level window; show it again without taking the focus.
    widget_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    widget_->show();
    widget_->move(toPixels(left_, twipsPerPixel(true)), toPixels(top_, twipsPerPixel(false)));
  } else {
    widget_->show();
  }
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) widget_->raise();
}

ui::Button* QtWindow::addButton(const ui::ControlSpec& spec) {
  auto button =
      std::make_unique<QtButton>(widget_, spec, toolkit_.newHandle(), twipsPerPixel(true), frame_);
  ui::Button* raw = button.get();
  controls_.push_back(std::move(button));
  return raw;
}

ui::Label* QtWindow::addLabel(const ui::ControlSpec& spec) {
  auto label =
      std::make_unique<QtLabel>(widget_, spec, toolkit_.newHandle(), twipsPerPixel(true), frame_);
  ui::Label* raw = label.get();
  controls_.push_back(std::move(label));
  return raw;
}

ui::PictureBox* QtWindow::addPictureBox(const ui::ControlSpec& spec) {
  const HWND handle = toolkit_.newHandle();
  auto box = std::make_unique<QtPictureBox>(widget_, spec, handle, twipsPerPixel(true), frame_);
  toolkit_.registerPicture(handle, box.get());
  ui::PictureBox* raw = box.get();
  controls_.push_back(std::move(box));
  return raw;
}

ui::Timer* QtWindow::addTimer(const std::string& name, int interval) {
  timers_.push_back(std::make_unique<QtTimer>(widget_, name, interval));
  return timers_.back().get();
}

// --- screen --------------------------------------------------------------------------------

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

// --- Windows services ----------------------------------------------------------------------

QtWin32::~QtWin32() = default;

intptr_t QtWin32::ShellExecuteA(HWND, const char*, const char* lpFile, const char*,
                                const char* lpDirectory, int) {
  return platform::shellExecute(lpFile ? lpFile : "", lpDirectory ? lpDirectory : "");
}

bool QtWin32::Shell_NotifyIconA(uint32_t dwMessage, platform::NOTIFYICONDATA* data) {
  if (!data) return false;
  const auto key = std::make_pair(data->hWnd, data->uID);
  if (dwMessage == platform::NIM_DELETE) {
    const auto found = icons_.find(key);
    if (found == icons_.end()) return false;
    found->second->hide();
    icons_.erase(found);
    return true;
  }
  if (dwMessage != platform::NIM_ADD || icons_.count(key)) return false;
  QtPictureBox* target = toolkit_.pictureOf(data->hWnd);
  if (!target || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
  auto icon = std::make_unique<QSystemTrayIcon>(toolkit_.programIcon());
  const size_t tipLength = strnlen(data->szTip, sizeof data->szTip);
  icon->setToolTip(QString::fromLocal8Bit(data->szTip, static_cast<qsizetype>(tipLength)));
  const HWND hook = data->hWnd;
  QObject::connect(icon.get(), &QSystemTrayIcon::activated,
                   [this, hook](QSystemTrayIcon::ActivationReason reason) {
                     QtPictureBox* box = toolkit_.pictureOf(hook);
                     if (!box) return;
                     uint32_t message = 0;
                     if (reason == QSystemTrayIcon::DoubleClick)
                       message = platform::WM_LBUTTONDBLCLK;
                     else if (reason == QSystemTrayIcon::Context)
                       message = platform::WM_RBUTTONUP;
                     else if (reason == QSystemTrayIcon::Trigger)
                       message = platform::WM_LBUTTONUP;
                     if (message) box->deliverTrayMessage(message, twipsPerPixel(true));
                   });
  icon->show();
  icons_[key] = std::move(icon);
  return true;
}

HWND QtWin32::FindWindowA(const char* lpClassName, const char* lpWindowName) {
  if (!lpClassName || std::string(lpClassName) != "Shell_TrayWnd" || !lpWindowName || *lpWindowName)
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
  QtWindow* window = toolkit_.windowOf(hWnd);
  if (!window || hWndInsertAfter != platform::HWND_TOPMOST) return false;
  window->setTopmost();
  return true;
}

// --- toolkit -------------------------------------------------------------------------------

QtToolkit::QtToolkit() : win32_(*this) {
  initResources();
}
QtToolkit::~QtToolkit() = default;

std::unique_ptr<ui::Window> QtToolkit::createWindow(const std::string& name, float width,
                                                    float height, float frameTwips) {
  return std::make_unique<QtWindow>(*this, name, width, height, frameTwips, newHandle());
}

void QtToolkit::doEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtToolkit::forget(HWND handle) {
  windows_.erase(handle);
  for (auto it = pictures_.begin(); it != pictures_.end();) {
    // Picture boxes die with their window.
    it = windows_.empty() ? pictures_.erase(it) : std::next(it);
  }
}

QtWindow* QtToolkit::windowOf(HWND handle) const {
  const auto found = windows_.find(handle);
  return found == windows_.end() ? nullptr : found->second;
}

QtPictureBox* QtToolkit::pictureOf(HWND handle) const {
  const auto found = pictures_.find(handle);
  return found == pictures_.end() ? nullptr : found->second;
}

QIcon QtToolkit::programIcon() const {
  QIcon icon(QStringLiteral(":/lptspool/lptspool.svg"));
  return icon.isNull() ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon) : icon;
}

}  // namespace qtui
