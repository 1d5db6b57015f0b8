#pragma once

// The texts and link rules of the progress bar's About form.

#include "controls/host/olecolor.h"

#include <QString>

// The rules of the control's About form, apart from any widget: its texts, the three looks of the
// e-mail link, when the pointer counts as off the link, and the warning of a failed mail call.
namespace tarvix {

QString productLine();
QString authorName();
QString authorMail();

// How long the pressed link stays purple before and after the mail program is asked to start.
inline constexpr int kBeforeMailMs = 250;
inline constexpr int kAfterMailMs = 2000;

// Look 0: blue, not underlined (the pointer is away); 1: light blue, underlined (the pointer is over
// it); 2: purple, underlined (pressed).
struct MailLinkLook {
    korv::host::OleColor color;
    bool underline;
};
MailLinkLook mailLinkLook(int look);

// The pointer is off the link box on its edges and beyond, in the box's own pixels.
bool pointerOutside(int x, int y, int width, int height);

// What the warning says when the desktop cannot open the link.
QString shellFailureText(const QString& link);

} // namespace tarvix
