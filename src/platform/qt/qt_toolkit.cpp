#include "platform/qt/qt_toolkit.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

// The icon lives in this static library's resources, which a program must load explicitly.
static void initResources() {
  Q_INIT_RESOURCE(resources);
}

namespace qtui {

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

void QtToolkit::forget(HWND window) {
  windows_.erase(window);
  // Picture boxes die with their window; a tray icon's late message then finds nobody.
  for (auto it = pictures_.begin(); it != pictures_.end();)
    it = it->second.owner == window ? pictures_.erase(it) : std::next(it);
}

QtWindow* QtToolkit::windowOf(HWND handle) const {
  const auto found = windows_.find(handle);
  return found == windows_.end() ? nullptr : found->second;
}

QtPictureBox* QtToolkit::pictureOf(HWND handle) const {
  const auto found = pictures_.find(handle);
  return found == pictures_.end() ? nullptr : found->second.box;
}

QIcon QtToolkit::programIcon() const {
  QIcon icon(QStringLiteral(":/lptspool/lptspool.svg"));
  return icon.isNull() ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon) : icon;
}

QIcon QtToolkit::warningIcon() const {
  // Drawn at the sizes trays ask for, the mark in the lower right quarter as emblems go.
  const QIcon base = programIcon();
  const QIcon mark = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
  QIcon marked;
  for (int size : {16, 22, 24, 32, 48, 64}) {
    QPixmap pixmap = base.pixmap(size, size);
    QPainter painter(&pixmap);
    const int half = size / 2 + size / 8;
    painter.drawPixmap(size - half, size - half, mark.pixmap(half, half));
    painter.end();
    marked.addPixmap(pixmap);
  }
  return marked;
}

namespace {
QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

void QtToolkit::setTrayState(const std::string& toolTip, bool warning) {
  win32_.setTrayState(fromUtf8(toolTip), warning);
}

void QtToolkit::setTrayMenuTexts(const std::string& showWindow, const std::string& toCorner) {
  win32_.setTrayMenuTexts(fromUtf8(showWindow), fromUtf8(toCorner));
}

bool QtToolkit::notify(const std::string& title, const std::string& text) {
  return win32_.notify(fromUtf8(title), fromUtf8(text));
}

}  // namespace qtui
