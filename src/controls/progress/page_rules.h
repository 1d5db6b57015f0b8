#pragma once

// The arithmetic of the progress bar's property pages.

#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

// The arithmetic of the two property pages, apart from any widget: how the preview of page Tarvix
// reads the bounds typed into its text boxes, its percentage, bar and caption, the size of its frame,
// and the check of the typed bounds that runs before a page writes anything into the control.
namespace tarvix {

// Largest size of the preview frame (Image3), border included; a larger background picture is cut.
inline constexpr QSize kPreviewFrameMax{337, 73};
// Width of the preview frame's sunken border on each side.
inline constexpr int kPreviewBorder = 2;

// The number a text box holds for the preview: the whole text when it is a number as the properties
// read one (decimal with a point or a comma, or &H…), else the number it starts with, else 0.
double leadingValue(const QString& text);

// (value - lo) / (hi - lo) * 100, rounded half to even; nothing when the two bounds are equal.
std::optional<long long> previewPercent(int value, double lo, double hi);

// Width of the preview's working picture: (value - lo) * (frame width - 2 borders) / (hi - lo), in
// whole pixels, half to even, kept inside the frame (0 when the bounds are equal).
int previewBarWidth(int value, double lo, double hi, int frameWidth);

// "57%", or "Итого 57%" after a text; the number is 100 - percent when inverted.
QString previewCaption(const QString& text, long long percent, bool invert);

// The frame takes the size of its background picture and border, cut to kPreviewFrameMax; without a
// picture it keeps the largest size.
QSize previewFrameSize(const QSize& picture);

// The bounds as the control's puts will take them, checked before anything is written: both texts
// must convert to 16-bit whole numbers, Min must leave room for a larger Max, and where the page's
// preview divides by the range (page Tarvix) the two numbers must differ. Fails with a ControlError
// whose description is the message for the user.
struct TypedRange {
    std::int16_t min = 0;
    std::int16_t max = 0;
};
TypedRange checkTypedRange(const QString& minText, const QString& maxText, bool previewDivides);

} // namespace tarvix
