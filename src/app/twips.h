#pragma once

// Form sizes in twips turned into pixels.

#include <QFontMetrics>
#include <QSize>
#include <QWidget>

#include <cmath>

namespace korv::app {

// Form sizes are kept in twips, as the forms were designed: 1440 twips to the logical inch, so 15 twips
// are one pixel at 96 dpi and 12 at 120 dpi. Rounded half to even like every conversion of the program.
inline int twipsToPixels(int twips, const QWidget* w) {
    const double dpi = w != nullptr ? w->logicalDpiX() : 96.0;
    return static_cast<int>(std::nearbyint(twips * dpi / 1440.0));
}

inline QSize twipsToPixels(int width, int height, const QWidget* w) {
    return {twipsToPixels(width, w), twipsToPixels(height, w)};
}

} // namespace korv::app
