#pragma once

// The hover test of the hyperlink label, in twips.

#include <QPoint>

// The geometry of the hover test, apart from any widget. The control measures itself in twips; the
// pointer arrives in pixels and is converted with the screen's twips per pixel (15 at 96 dpi).
namespace drovanetta {

inline constexpr double kTwipsPerInch = 1440.0;

double twipsPerPixel(double logicalDpi);

// A pixel coordinate in twips, to the nearest whole twip, halves to the even neighbour.
int pixelsToTwips(int pixels, double twipsPerPixel);

// The pointer is inside when 0 <= x <= width and 0 <= y <= height, in twips: the right and bottom
// edges count as inside.
bool pointerInside(QPoint pointerPixels, double twipsPerPixelX, double twipsPerPixelY, int widthTwips, int heightTwips);

} // namespace drovanetta
