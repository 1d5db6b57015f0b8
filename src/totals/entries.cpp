#include "totals/entries.h"

#include "common/error.h"
#include "common/int16.h"
#include "logbook/record_layout.h"

namespace korv::totals {

namespace {

namespace column = logbook::records::column;
using logbook::quotedCell;
using logbook::Reading;

} // namespace

QString dateText(const Entry& e) { return cellText(e.cells.first[column::A], true); }

RecordValues& RecordValues::operator+=(const RecordValues& o) {
    flights += o.flights;
    total += o.total;
    hood += o.hood;
    smu += o.smu;
    clouds += o.clouds;
    takeOffs += o.takeOffs;
    approaches += o.approaches;
    landings += o.landings;
    minimumLandings += o.minimumLandings;
    return *this;
}

RecordValues recordValues(const Entry& e) {
    const logbook::Record& r = e.record;
    const auto& cells = e.cells.first;
    if (r.type.trimmed().isEmpty())
        refuseEntry(e, column::B, QStringLiteral("пусто"), QStringLiteral("тип самолёта"));
    if (r.dayNight != u"Д" && r.dayNight != u"Н")
        refuseEntry(e, column::C,
                    isEmptyCell(cells[column::C]) ? QStringLiteral("пусто")
                                                  : QStringLiteral("стоит ") + quotedCell(cells[column::C]),
                    QStringLiteral("«Д» или «Н»"));
    const auto count = [&](const logbook::CountReading& read, int c) {
        if (read.unreadable())
            refuseEntry(e, c, QStringLiteral("стоит ") + quotedCell(cells[std::size_t(c)]),
                        QStringLiteral("целое число"));
        return read.value;
    };
    const auto whole = [&](const logbook::CountReading& read, int c) -> long long {
        const double v = count(read, c);
        try {
            return roundToInt16(v);
        } catch (const Error&) {
            // beyond 16 bits: no count the logbook's sums take
        }
        refuseEntry(e, c, QStringLiteral("стоит ") + quotedCell(cells[std::size_t(c)]), QStringLiteral("целое число"));
    };
    const auto time = [&](const logbook::TimeReading& read, int c) {
        if (read.unreadable())
            refuseEntry(e, c, QStringLiteral("стоит ") + quotedCell(cells[std::size_t(c)]),
                        QStringLiteral("время вида 1:25"));
        return read.minutes;
    };
    RecordValues v;
    v.flights = count(r.flights, column::F);
    v.total = time(r.total, column::G);
    v.hood = time(r.hood, column::H);
    v.smu = time(r.smu, column::I);
    v.clouds = time(r.clouds, column::J);
    v.takeOffs = count(r.takeOffs, column::O);
    v.approaches = whole(r.approaches, column::Q);
    v.landings = whole(r.landings, column::R);
    v.minimumLandings = whole(r.minimumLandings, column::S);
    return v;
}

} // namespace korv::totals
