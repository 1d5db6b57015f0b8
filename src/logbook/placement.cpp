#include "logbook/placement.h"

#include "common/error.h"
#include "logbook/captions.h"

namespace korv::logbook {

namespace column = records::column;

bool needsMonthHeading(const BookShape& shape, const QList<QVariantList>& block, const QDate& flightDate) {
    // The entry before the free pair that tells the month: a date in A (a record, or one whose exercise was
    // cleared), or a month heading; what tells none (something typed below the records) is passed over.
    for (qsizetype i = shape.pairs.size() - 1; i >= 0; --i) {
        const SheetPair& pair = shape.pairs[i];
        const QVariantList& cells = block[pair.row - records::kFirstRow];
        if (const auto date = cellDate(cellAt(cells, column::A)))
            return date->month() != flightDate.month() || date->year() != flightDate.year();
        if (pair.kind == PairKind::Heading)
            return cellAt(cells, column::E).toString().trimmed() != PeriodCaption(flightDate).trimmed();
    }
    return true;
}

RecordPlacement placeRecord(const BookShape& shape, const QList<QVariantList>& block, const QDate& flightDate) {
    if (shape.outOfStepRow)
        throw Error(Error::BadEntry, outOfStepMessage(*shape.outOfStepRow));
    RecordPlacement placement;
    placement.row = shape.freeRow;
    if (needsMonthHeading(shape, block, flightDate))
        placement.heading = PeriodCaption(flightDate);
    return placement;
}

} // namespace korv::logbook
