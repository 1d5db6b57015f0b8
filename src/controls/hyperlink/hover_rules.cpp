#include "controls/hyperlink/hover_rules.h"

#include "controls/host/convert.h"

namespace drovanetta {

double twipsPerPixel(double logicalDpi) { return logicalDpi > 0 ? kTwipsPerInch / logicalDpi : 15.0; }

int pixelsToTwips(int pixels, double twipsPerPixel) {
    return static_cast<int>(korv::host::roundHalfEven(pixels * twipsPerPixel));
}

bool pointerInside(QPoint pointerPixels, double twipsPerPixelX, double twipsPerPixelY, int widthTwips,
                   int heightTwips) {
    const int x = pixelsToTwips(pointerPixels.x(), twipsPerPixelX);
    const int y = pixelsToTwips(pointerPixels.y(), twipsPerPixelY);
    return 0 <= x && x <= widthTwips && 0 <= y && y <= heightTwips;
}

} // namespace drovanetta
