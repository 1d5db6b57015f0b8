#include "logbook/change_settings.h"

namespace korv::logbook {

namespace {

int envMs(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

} // namespace

ChangeSettings::ChangeSettings()
    : bookWaitMs(envMs("KORV_LOGBOOK_WAIT_MS", 30000)), officeWaitMs(envMs("KORV_OFFICE_WAIT_MS", 180000)),
      timeoutMs(envMs("KORV_OFFICE_TIMEOUT_MS", 120000)) {}

} // namespace korv::logbook
