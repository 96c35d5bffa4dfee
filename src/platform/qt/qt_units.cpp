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

QRect pixelRect(const ui::ControlSpec& spec, float frame) {
  const float perX = twipsPerPixel(true), perY = twipsPerPixel(false);
  return QRect(toPixels(spec.left + frame, perX), toPixels(spec.top + frame, perY),
               toPixels(spec.width, perX), toPixels(spec.height, perY));
}

}  // namespace qtui
