#pragma once

// How a change of the logbook, and an operation on the office that shows it, wait for other programs and
// deal with their locks.

#include "spreadsheet/office.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace korv::logbook {

// How a change deals with what it meets.
struct ChangeSettings {
    ChangeSettings();

    // Told once when the change has to wait for another program, with what the program sees.
    std::function<void(const QString& text)> waiting;
    // Lock files of other programs that cannot be judged from here (another machine's, a Microsoft Office
    // owner file) which the pilot said are left over: they are removed. Any other such lock refuses the
    // change (UnsureLock).
    QStringList closedElsewhere;
    // How long to wait for another change of the logbook, for another operation on the office, and for
    // the office to finish this operation. KORV_LOGBOOK_WAIT_MS, KORV_OFFICE_WAIT_MS and
    // KORV_OFFICE_TIMEOUT_MS set other defaults (tests, the stress run).
    int bookWaitMs;
    int officeWaitMs;
    int timeoutMs;

    // The deadline of an operation on `file`: timeoutMs, and kDeadlineMsPerMiB more for every MiB of it.
    int timeoutFor(const QString& file) const;
    static constexpr qint64 kDeadlineMsPerMiB = 30000;
};

// An operation of `office` on `file` (a logbook, a copy or a backup it loads) with the program's own wait for
// another operation and the file's deadline, the office attached.
std::unique_ptr<Office::Operation> beginOperationOn(Office& office, const QString& file);

} // namespace korv::logbook
