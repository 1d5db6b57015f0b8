#pragma once

// The program's icon.

#include <QIcon>

namespace korv::app {

// The program's icon (window, splash, About), from the resources of the forms' library.
QIcon programIcon();

} // namespace korv::app
