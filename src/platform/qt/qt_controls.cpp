// The controls on Qt Widgets: buttons, the drag strip, the tray's picture box, timers. Mouse
// positions go to the handlers in twips, buttons and shift keys numbered as the system does.
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QStringList>
#include <QStyle>

#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_units.h"

namespace qtui {
namespace {

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

float twipsX(qreal pixels) {
  return static_cast<float>(pixels) * twipsPerPixel(true);
}
float twipsY(qreal pixels) {
  return static_cast<float>(pixels) * twipsPerPixel(false);
}

// A button's caption broken into lines that fit its width, at spaces, the way a command button
// wraps its caption. The caption's own lines are joined by CR LF; Qt breaks on LF alone.
QString wrapped(const std::string& caption, const QFontMetrics& metrics, int width) {
  QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
  text.remove(QLatin1Char('\r'));
  QStringList lines;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    QString current;
    for (const QString& word : line.split(QLatin1Char(' '))) {
      const QString joined = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
      if (!current.isEmpty() && metrics.horizontalAdvance(joined) > width) {
        lines << current;
        current = word;
      } else {
        current = joined;
      }
    }
    lines << current;
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

class StripWidget : public QLabel {
 public:
  StripWidget(QWidget* parent, ui::Label& owner) : QLabel(parent), owner_(owner) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (owner_.MouseDown)
      owner_.MouseDown(buttonOf(event->button()), shiftOf(event->modifiers()),
                       twipsX(event->position().x()), twipsY(event->position().y()));
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (owner_.MouseMove)
      owner_.MouseMove(buttonsOf(event->buttons()), shiftOf(event->modifiers()),
                       twipsX(event->position().x()), twipsY(event->position().y()));
  }
  // The first press of a double click has already gone to MouseDown; the second is the
  // double click itself.
  void mouseDoubleClickEvent(QMouseEvent*) override {
    if (owner_.DblClick) owner_.DblClick();
  }

 private:
  ui::Label& owner_;
};

class HookWidget : public QWidget {
 public:
  HookWidget(QWidget* parent, ui::PictureBox& owner) : QWidget(parent), owner_(owner) {}
  void press(int button, float x) {
    if (owner_.MouseDown) owner_.MouseDown(button, 0, x, 0);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (owner_.MouseDown)
      owner_.MouseDown(buttonOf(event->button()), shiftOf(event->modifiers()),
                       twipsX(event->position().x()), twipsY(event->position().y()));
  }

 private:
  ui::PictureBox& owner_;
};

QtButton::QtButton(QWidget* parent, const ui::ControlLayout& layout, HWND handle, float frame)
    : QtControl(handle), button_(new QPushButton(parent)) {
  place(button_, layout, frame);
  setCaption(layout.caption);
  QObject::connect(button_, &QPushButton::clicked, [this] {
    if (Click) Click();
  });
}

void QtButton::setCaption(const std::string& caption) {
  caption_ = caption;
  // Leave room for the button's bevel on both sides.
  button_->setText(wrapped(caption, button_->fontMetrics(), button_->width() - 6));
}

void QtButton::setFont(const ui::FontStyle& style) {
  QFont font(QString::fromStdString(style.family));
  // Hosts without the font get the closest bold sans serif.
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(style.points);
  font.setWeight(style.weight >= 700 ? QFont::Bold : QFont::Normal);
  button_->setFont(font);
  setCaption(caption_);
}

void QtButton::setWarning(const std::string& toolTip) {
  if (toolTip == warning_) return;
  warning_ = toolTip;
  const bool on = !toolTip.empty();
  button_->setToolTip(QString::fromUtf8(toolTip.data(), static_cast<qsizetype>(toolTip.size())));
  // A colour every style shows, and the desktop's own warning mark in the corner, where it
  // takes no room from the two lines of the caption.
  button_->setStyleSheet(on ? QStringLiteral("QPushButton { background-color: #ffd75e; color: "
                                             "black; border: 2px solid #c0392b; }")
                            : QString());
  if (!mark_) {
    mark_ = new QLabel(button_);
    mark_->setObjectName(QStringLiteral("warningMark"));
    mark_->setAttribute(Qt::WA_TransparentForMouseEvents);
    mark_->setGeometry(3, 3, 11, 11);
    mark_->setPixmap(button_->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(11, 11));
  }
  mark_->setVisible(on);
}

QtLabel::QtLabel(QWidget* parent, const ui::ControlLayout& layout, HWND handle, float frame)
    : QtControl(handle) {
  place(new StripWidget(parent, *this), layout, frame);
  widget_->setAutoFillBackground(true);
  widget_->setBackgroundRole(QPalette::Mid);
  widget_->setCursor(Qt::SizeAllCursor);
}

QtPictureBox::QtPictureBox(QWidget* parent, const ui::ControlLayout& layout, HWND handle,
                           float frame)
    : QtControl(handle), hook_(new HookWidget(parent, *this)) {
  place(hook_, layout, frame);
  // It only receives the tray's messages; nothing to see.
  hook_->hide();
}

void QtPictureBox::deliverTrayMessage(uint32_t message) {
  hook_->press(ui::vbLeftButton, twipsX(message));
}

QtTimer::QtTimer(QObject* parent, const std::string& name, int interval)
    : timer_(new QTimer(parent)) {
  timer_->setObjectName(QString::fromStdString(name));
  timer_->setInterval(interval);
  // A coarse timer may fire up to 5% late, and the first tick is promised 7000 ms after the start.
  timer_->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer_, &QTimer::timeout, [this] {
    if (Tick) Tick();
  });
}

void QtTimer::setEnabled(bool enabled) {
  // Switching a running timer on again leaves its interval running.
  if (enabled && !timer_->isActive())
    timer_->start();
  else if (!enabled)
    timer_->stop();
}

}  // namespace qtui
