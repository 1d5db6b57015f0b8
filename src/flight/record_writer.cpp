#include "flight/record_writer.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/log.h"
#include "logbook/book_names.h"

namespace korv::flight {

namespace {

WrittenRecord writtenOf(const QList<logbook::PairEdit>& edits) {
    WrittenRecord written;
    const logbook::PairEdit& edit = edits.back();
    written.row = edit.recordRow() + 1;
    written.heading = edit.heading;
    return written;
}

} // namespace

WrittenRecord WriteFlightRecord(logbook::Office& office, const QString& bookPath, const logbook::PairCells& record,
                                logbook::SlotUpkeep upkeep, const logbook::ChangeSettings& settings) {
    // Locks, checks and a fresh document; unless saved, the workbook is closed unsaved and the file stays
    // exactly as it was.
    logbook::LogbookChange change(office, bookPath, settings, upkeep);
    WrittenRecord written = writtenOf(change.append(record));
    written.note = change.save(QStringLiteral("запись смены"));
    return written;
}

ShiftWriter::ShiftWriter(logbook::Office& office, ReferenceDatabase& database, QString bookPath)
    : office_(office), database_(database), bookPath_(std::move(bookPath)) {}

ShiftWriter::~ShiftWriter() = default;

void ShiftWriter::beginBatch() {
    batch_ = true;
    batchRecords_ = 0;
}

std::optional<QString> ShiftWriter::finishBatch() {
    batch_ = false;
    if (!change_)
        return std::nullopt;
    const std::unique_ptr<logbook::LogbookChange> change = std::move(change_);
    if (!change->changed())
        return std::nullopt;
    return change->save(batchRecords_ == 1 ? QStringLiteral("запись смены")
                                           : QStringLiteral("запись смен: %1").arg(batchRecords_));
}

void ShiftWriter::abandonBatch() {
    batch_ = false;
    change_.reset();
}

WriteOutcome ShiftWriter::cmdWrite_Click(ShiftSession& session) {
    WriteOutcome outcome;
    if (!session.form.cmdWriteEnabled)
        return outcome;
    if (!session.resultsCurrent()) {
        // A caller that let an input change without saying so: what would be written was not computed.
        session.form.cmdWriteEnabled = false;
        outcome.notices << Notice{kWriteFailedTitle, kInputsChanged, Notice::Icon::Warning};
        return outcome;
    }
    try {
        // Everything the record needs is checked before the logbook is touched.
        recordDate(session.form);
        exerciseNumber(session.form);
        const QString description = database_.exerciseDescription(session.form.txtUpr);
        const logbook::PairCells record = buildFlightRecord(session, description);
        if (correcting_) {
            logbook::LogbookChange change(office_, bookPath_, settings);
            const int index = shown_ ? logbook::shownRecordIndex(change.logbook(), *shown_)
                                     : logbook::recordIndexAt(change.logbook(), *correcting_);
            WrittenRecord corrected = writtenOf(change.replace(index, record));
            // throws only while the file is the one from before
            corrected.note = change.save(QStringLiteral("исправление записи строки %1").arg(*correcting_));
            outcome.written = corrected;
            correcting_.reset(); // corrected: the next press appends again
            shown_.reset();
        } else if (batch_) {
            if (!change_)
                change_ = std::make_unique<logbook::LogbookChange>(office_, bookPath_, settings);
            outcome.written = writtenOf(change_->append(record));
            ++batchRecords_;
        } else {
            outcome.written =
                WriteFlightRecord(office_, bookPath_, record, logbook::SlotUpkeep::ShareCoveredFormats, settings);
        }
    } catch (const Error& e) {
        // Only ever said while the file is the one from before: a failure after the save comes back as
        // a note of a written record.
        log::error(QStringLiteral("Записать"), e);
        if (const auto* unsure = dynamic_cast<const logbook::UnsureLock*>(&e))
            outcome.unsureLock = *unsure;
        outcome.notices << Notice{kWriteFailedTitle,
                                  QStringLiteral("Смена не записана, лётная книжка не изменена.\n") + e.description(),
                                  Notice::Icon::Critical};
    }
    if (!outcome.written)
        return outcome;
    if (outcome.written->note)
        outcome.notices << Notice{kWriteFailedTitle,
                                  QStringLiteral("Смена записана в лётную книжку.\n") + *outcome.written->note,
                                  Notice::Icon::Warning};

    session.FlightDate = formatShortDate(recordDate(session.form));
    session.form.txtShtorkaZ.clear();
    session.form.txtShtorkaO.clear();
    session.form.cmdWriteEnabled = false;
    return outcome;
}

} // namespace korv::flight
