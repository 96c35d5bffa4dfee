#include "platform/qt/qt_toolkit.h"

#include <QApplication>
#include <QIcon>
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

}  // namespace qtui
