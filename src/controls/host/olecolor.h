#pragma once

// OLE colours and their mapping to Qt colours.

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <cstdint>

namespace korv::host {

// A 32-bit OLE colour: 0x00BBGGRR, or a system colour when the high bit is set (the low byte is the
// index of the system colour, 0x80000012 being the button text). Controls keep the 32-bit value as it
// was put, so that a saved system colour is saved again as a system colour; only drawing resolves it.
using OleColor = std::uint32_t;

inline constexpr OleColor kSystemColorFlag = 0x80000000u;

inline constexpr bool isSystemColor(OleColor c) { return (c & kSystemColorFlag) != 0; }

inline constexpr OleColor oleFromRgb(int r, int g, int b) {
    return static_cast<OleColor>((b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF));
}

inline OleColor oleFromQColor(const QColor& c) { return oleFromRgb(c.red(), c.green(), c.blue()); }

// System colours are resolved through the application palette; the indices without a close palette
// role fall back to the role of the nearest meaning (window, text, button).
inline QColor qcolorFromSystemIndex(int index, const QPalette& pal) {
    switch (index) {
    case 0x00: // scroll bar
    case 0x0F: // button face
    case 0x04: // menu
        return pal.color(QPalette::Button);
    case 0x01: // desktop
    case 0x0C: // application workspace
        return pal.color(QPalette::Dark);
    case 0x02: // active caption
    case 0x0D: // highlight
        return pal.color(QPalette::Highlight);
    case 0x03: // inactive caption
        return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 0x05: // window
        return pal.color(QPalette::Base);
    case 0x06: // window frame
    case 0x15: // 3-D dark shadow
        return pal.color(QPalette::Shadow);
    case 0x07: // menu text
    case 0x08: // window text
        return pal.color(QPalette::Text);
    case 0x09: // caption text
    case 0x0E: // highlight text
        return pal.color(QPalette::HighlightedText);
    case 0x10: // button shadow
        return pal.color(QPalette::Mid);
    case 0x11: // grey text
        return pal.color(QPalette::Disabled, QPalette::Text);
    case 0x12: // button text
        return pal.color(QPalette::ButtonText);
    case 0x13: // inactive caption text
        return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 0x14: // 3-D highlight
        return pal.color(QPalette::Light);
    case 0x16: // 3-D light
        return pal.color(QPalette::Midlight);
    case 0x17: // tooltip text
        return pal.color(QPalette::ToolTipText);
    case 0x18: // tooltip background
        return pal.color(QPalette::ToolTipBase);
    default:
        return pal.color(QPalette::Window);
    }
}

inline QColor qcolorFromOle(OleColor c, const QPalette& pal) {
    if (isSystemColor(c))
        return qcolorFromSystemIndex(static_cast<int>(c & 0xFF), pal);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

inline QColor qcolorFromOle(OleColor c) { return qcolorFromOle(c, QGuiApplication::palette()); }

} // namespace korv::host
