#pragma once

// Flights as the totals tests write them: a record of the writer's shape from a few values, with the
// totals counted by hand from the same values.

#include "logbook/cells.h"

#include <QDate>

namespace testflights {

struct Flight {
    QDate date;
    const char* exercise; // column E
    const char* dayNight = "Д";
    const char* seat = "П";
    int flights = 1;
    int minutes = 60;
    int cloudMinutes = 0;
    int approaches = 2;
    const char* type = "Л-39";
};

// The record's cells as the writer makes them.
inline korv::logbook::PairCells recordOf(const Flight& f) {
    namespace column = korv::logbook::records::column;
    korv::logbook::PairCells c;
    c.first[column::A] = korv::logbook::dateCell(f.date);
    c.first[column::B] = QString::fromUtf8(f.type);
    c.first[column::C] = QString::fromUtf8(f.dayNight);
    c.first[column::D] = QString::fromUtf8(f.seat);
    c.first[column::E] = QString::fromUtf8(f.exercise);
    c.first[column::F] = double(f.flights);
    c.first[column::G] = korv::logbook::timeCell(korv::Minutes(f.minutes));
    c.first[column::J] = korv::logbook::timeCell(korv::Minutes(f.cloudMinutes));
    c.first[column::Q] = double(f.approaches);
    c.first[column::R] = double(f.approaches);
    c.second[column::M] = 600.0;
    return c;
}

} // namespace testflights
