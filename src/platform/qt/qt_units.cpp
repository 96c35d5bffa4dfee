#include "platform/qt/qt_units.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace qtui {

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

QRect pixelRect(const ui::ControlLayout& layout, float frame) {
  const float perX = twipsPerPixel(true), perY = twipsPerPixel(false);
  return QRect(toPixels(layout.left + frame, perX), toPixels(layout.top + frame, perY),
               toPixels(layout.width, perX), toPixels(layout.height, perY));
}

}  // namespace qtui
