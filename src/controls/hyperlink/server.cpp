// The library's exports: registration of DrovanettaX and its class object.
#include "controls/host/server_exports.h"
#include "controls/hyperlink/drovanettax.h"

KORV_CONTROL_SERVER(DrovanettaX, drovanetta)
