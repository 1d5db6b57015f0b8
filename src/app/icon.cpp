#include "app/icon.h"

// Resources of a static library are registered only when asked for by name.
static void initKorvelantaResources() { Q_INIT_RESOURCE(korvelanta); }

namespace korv::app {

QIcon programIcon() {
    static const bool registered = (initKorvelantaResources(), true);
    Q_UNUSED(registered);
    return QIcon(QStringLiteral(":/icons/korvelanta.svg"));
}

} // namespace korv::app
