#include "controls/hyperlink/hover_rules.h"

#include "controls/host/convert.h"

namespace drovanetta {

double twipsPerPixel(double logicalDpi) { return logicalDpi > 0 ? kTwipsPerInch / logicalDpi : 15.0; }

int pixelsToTwips(int pixels, double tpp) { return static_cast<int>(korv::host::roundHalfEven(pixels * tpp)); }

bool pointerInside(QPoint p, double tppX, double tppY, int widthTwips, int heightTwips) {
    const int x = pixelsToTwips(p.x(), tppX);
    const int y = pixelsToTwips(p.y(), tppY);
    return 0 <= x && x <= widthTwips && 0 <= y && y <= heightTwips;
}

} // namespace drovanetta
