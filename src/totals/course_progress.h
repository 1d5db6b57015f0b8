#pragma once

// Progress through the course: for one aircraft type and a period, every exercise of the course with how
// often the pilot flew it by day and by night, when last, and which lists of the totals count it; the
// exercises flown that the course does not list, apart.

#include "totals/entries.h"
#include "totals/period.h"

#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace korv::totals {

// One exercise of the course as the reference database lists it (ExercisesKLP).
struct CourseExercise {
    long long number = 0;
    QString description;
};

struct CourseLine {
    long long number = 0;
    QString description;                     // the course's; for an exercise outside it, column E of its last record
    double dayFlights = 0, nightFlights = 0; // column F added, as the totals add flights
    int records = 0;
    QDate last; // null: not flown in the period
    int lastRow = 0;
};

struct CourseProgress {
    QString type;
    QList<CourseLine> course;  // every exercise of the course, in the course's order
    QList<CourseLine> outside; // exercises flown that the course does not list, by number
    int ownRecords = 0;        // the pilot's own exercises of the type in the period ("Упр. N …")
    int otherRecords = 0; // the type's instructor's and crew flights ("Инстр. по упр.N", "В сост. эк.")
    int unnumbered = 0;   // the type's records whose E names no exercise

    int flownInCourse() const;
};

// The progress of `type` (as column B holds it, spaces around ignored) over the records of `period` (every
// record when none) as the totals select them. Every record of the period is read as the totals read it
// first, whatever its type (a record whose type cannot be read may be one of this type's): what cannot be
// counted throws Error::BadEntry naming its row and column, as does a pair that is neither record nor
// heading and may belong to the period. Only the pilot's own exercises count towards the course.
CourseProgress courseProgress(const QList<Entry>& entries, const std::optional<PeriodState>& period,
                              const QString& type, const QList<CourseExercise>& course);

// The lists of the totals an exercise number stands in: "контрольный днём", "тренировочный ночью", or
// "ни в одном" (then the totals count it only in the time of day's "Итого" row).
QString courseListsText(long long number);

// "12" or "1,5": flights as the tables show them.
QString flightsText(double flights);

// The progress as a table for a terminal: the course's exercises, those outside it, and a closing line.
QString courseTable(const CourseProgress& progress, const QString& periodText);

// The progress as JSON: "type", "period", "course" and "outside" (number, description, day, night,
// records, last, row, lists), "flown", "exercises", "ownRecords", "otherRecords", "unnumbered".
QJsonObject courseJson(const CourseProgress& progress, const QString& periodText);

// The closing line of the tables: "Выполнено упражнений курса: 12 из 80; записей: …".
QString courseSummaryLine(const CourseProgress& progress);

} // namespace korv::totals
