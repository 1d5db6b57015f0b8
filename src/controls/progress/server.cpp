// The library's exports: registration of TarvixProgress and its class object.
#include "controls/host/server_exports.h"
#include "controls/progress/tarvixprogress.h"

KORV_CONTROL_SERVER(TarvixProgress, tarvix)
