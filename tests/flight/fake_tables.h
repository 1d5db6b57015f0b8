#pragma once

// Reference tables in memory for the calculation tests.

#include "common/error.h"
#include "flight/reference_db.h"

#include <QHash>

// Reference tables held in memory, with a count of reads.
class FakeTables : public korv::flight::TableSource {
public:
    korv::flight::Table table(const QString& name) override {
        ++reads[name];
        const auto it = tables.find(name);
        if (it == tables.end())
            throw korv::Error(korv::Error::ItemNotFound, QStringLiteral("нет запроса «%1»").arg(name));
        return *it;
    }

    QHash<QString, korv::flight::Table> tables;
    QHash<QString, int> reads;
};

// Tables for every type where a flight spends h/2 seconds below h metres, and a small in-cloud table.
inline FakeTables makeFakeTables() {
    FakeTables t;
    const korv::flight::Table pod = {{0, 0},     {100, 50},  {200, 100},  {250, 125},   {300, 150},
                                     {500, 250}, {600, 300}, {1000, 500}, {3000, 1500}, {12000, 6000}};
    // Л-39: column keys are cloud tops; the others: thicknesses.
    const korv::flight::Table oblL39 = {{-1, 500, 1000, 3000, 12000},
                                        {0, 250, 500, 1500, 6000},
                                        {300, 100, 350, 1350, 5850},
                                        {600, 0, 200, 1200, 5700},
                                        {1000, 0, 0, 1000, 5500}};
    const korv::flight::Table oblOther = {
        {-1, 100, 500, 1000, 12000}, {0, 60, 300, 600, 7200}, {600, 50, 250, 500, 6000}, {3000, 40, 200, 400, 4800}};
    for (const char* s : {"L39", "Su24", "Su25", "Su27", "MiG29", "MiG31"}) {
        t.tables.insert(QStringLiteral("Z_Time_Pod_") + QLatin1String(s), pod);
        t.tables.insert(QStringLiteral("Z_Time_Obl_") + QLatin1String(s),
                        QLatin1String(s) == QLatin1String("L39") ? oblL39 : oblOther);
    }
    return t;
}
