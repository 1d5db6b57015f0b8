// The library's hand-shaped pointer (cursor resource 101), drawn here as an XPM image.
#include "controls/hyperlink/handcursor.h"

#include <QPixmap>

namespace drovanetta {

namespace {

// clang-format off
const char* const kHand101[] = {
    "32 32 3 1",
    "  c None",
    ". c #000000",
    "X c #FFFFFF",
    "     ..                         ",
    "    .XX.                        ",
    "    .XX.                        ",
    "    .XX.                        ",
    "    .XX.                        ",
    "    .XX...                      ",
    "    .XX.XX...                   ",
    "    .XX.XX.XX..                 ",
    " ...XX.XX.XX.X.                 ",
    ".XX.XXXXXXXX.XX.                ",
    ".XXX.XXXXXXXXXX.                ",
    " .XX.XXXXXXXXXX.                ",
    "  .X.XXXXXXXXXX.                ",
    "  .XXXXXXXXXXXX.                ",
    "   .XXXXXXXXXXX.                ",
    "   .XXXXXXXXXX.                 ",
    "    .XXXXXXXXX.                 ",
    "    .XXXXXXXXX.                 ",
    "     .XXXXXXX.                  ",
    "     .XXXXXXX.                  ",
    "     .........                  ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                "
};
// clang-format on

} // namespace

QCursor handCursor() {
    // The hot spot is the tip of the pointing finger.
    return QCursor(QPixmap(kHand101), 5, 1);
}

} // namespace drovanetta
