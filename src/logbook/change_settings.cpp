#include "logbook/change_settings.h"

#include <QFileInfo>

#include <algorithm>

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

std::unique_ptr<Office::Operation> beginOperationOn(Office& office, const QString& file) {
    const ChangeSettings settings;
    auto operation = office.beginOperation(settings.timeoutFor(file), settings.officeWaitMs);
    office.attach();
    return operation;
}

int ChangeSettings::timeoutFor(const QString& file) const {
    // The office's load, store and PDF export grow with the file: at 20,000 records (9 MB) `pages --all`
    // alone takes over a minute on an idle machine. A deadline that only finds a hung office grows with it.
    const qint64 bytes = QFileInfo(file).size();
    return int(std::min<qint64>(qint64(timeoutMs) + bytes * kDeadlineMsPerMiB / (1024 * 1024), 3600000));
}

} // namespace korv::logbook
