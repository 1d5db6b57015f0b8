#pragma once

// Windows that fit the pilot's screen: a 1366×768 laptop at 96 or 120 dpi, under a window manager that
// frames every window with a title bar and borders.

#include <QRect>
#include <QSize>

class QLabel;
class QWidget;

namespace korv::app {

// The room a window manager's frame takes around a window's client area: the title bar and the borders
// (openbox's, with its bottom handle, is within it at 96 and 120 dpi).
inline constexpr QSize kFrameRoom{16, 48};

// The part of the screen the window opens on (the primary one before it is shown) that its client area
// may take, the frame left room.
QRect clientRoom(const QWidget* window);

// Resizes the window to `wanted`, cut to its room on the screen.
void resizeWithinScreen(QWidget* window, QSize wanted);

// A window laid out by its layouts (no scroll area) whose natural height does not fit the screen: the
// margins and spacings of its layouts are narrowed until it fits, or as far as they go.
void compactToFit(QWidget* window);

// Moves the window so that it stands centred over `over` (or the middle of the screen without one),
// kept whole on the screen.
void centreOver(QWidget* window, const QWidget* over);

// Shows the window in front with the keyboard, centred over `over` when it was not shown yet (where the pilot
// left a window shown, it stays).
void showOver(QWidget* window, const QWidget* over);

// A word-wrapped label at the top of its window's layout gets the height its text needs at the window's
// width: a long status line is never cut off.
void fitToText(QLabel* label);

} // namespace korv::app
