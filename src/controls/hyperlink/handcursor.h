#pragma once

// The hand pointer of the hyperlink label.

#include <QCursor>

namespace drovanetta {

// The hand-shaped pointer the label shows application-wide while it is lit.
QCursor handCursor();

} // namespace drovanetta
