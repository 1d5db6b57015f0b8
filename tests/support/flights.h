#pragma once

// Flights as the totals tests write them: a record of the writer's shape from a few values, with the
// totals counted by hand from the same values.

#include "flight/flight_record.h"

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

inline korv::flight::FlightRecord recordOf(const Flight& f) {
    using korv::flight::CellValue;
    korv::flight::FlightRecord r;
    r.date = f.date;
    r.cells = {{'A', 0, CellValue::ofDate(f.date)},
               {'B', 0, CellValue::ofText(QString::fromUtf8(f.type))},
               {'C', 0, CellValue::ofText(QString::fromUtf8(f.dayNight))},
               {'D', 0, CellValue::ofText(QString::fromUtf8(f.seat))},
               {'E', 0, CellValue::ofText(QString::fromUtf8(f.exercise))},
               {'F', 0, CellValue::ofNumber(f.flights)},
               {'G', 0, CellValue::ofMinutes(f.minutes)},
               {'J', 0, CellValue::ofMinutes(f.cloudMinutes)},
               {'Q', 0, CellValue::ofNumber(f.approaches)},
               {'R', 0, CellValue::ofNumber(f.approaches)},
               {'M', 1, CellValue::ofNumber(600)}};
    return r;
}

} // namespace testflights
