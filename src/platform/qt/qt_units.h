// Twips and pixels on the primary screen: pixels = twips / (1440 / logical dpi).
#pragma once

#include <QRect>

#include "platform/toolkit.h"

class QScreen;

namespace qtui {

QScreen* primary();
float twipsPerPixel(bool horizontal);
int toPixels(float twips, float perPixel);
// A control's rectangle in its window, which places the client area inside a frame.
QRect pixelRect(const ui::ControlLayout& layout, float frame);

}  // namespace qtui
