#include "totals/course_progress.h"

#include "logbook/exercise_lists.h"
#include "totals/record_export.h"

#include <QJsonArray>
#include <QMap>

#include <algorithm>

namespace korv::totals {

namespace {

QString dateText(const QDate& d) { return d.isNull() ? QString() : d.toString(QStringLiteral("dd.MM.yyyy")); }

bool isOwnExercise(const QString& e) { return e.trimmed().startsWith(QStringLiteral("Упр.")); }

void add(CourseLine& line, const Entry& e, const RecordValues& v) {
    (e.record.dayNight == u"Н" ? line.nightFlights : line.dayFlights) += v.flights;
    ++line.records;
    // By the record's own date, wherever it stands; of two on one day the lower one, as the breaks name it.
    if (line.last.isNull() || e.record.date >= line.last) {
        line.last = e.record.date;
        line.lastRow = e.sheetRow();
    }
}

} // namespace

int CourseProgress::flownInCourse() const {
    return int(std::count_if(course.begin(), course.end(), [](const CourseLine& l) { return l.records > 0; }));
}

CourseProgress courseProgress(const QList<Entry>& entries, const std::optional<PeriodState>& period,
                              const QString& type, const QList<CourseExercise>& course) {
    CourseProgress out;
    out.type = type.trimmed();
    const QList<Entry> taken = exportedRecords(entries, period);
    // Every record of the period is read before anything is counted: one that cannot be read is named.
    QList<RecordValues> values;
    values.reserve(taken.size());
    for (const Entry& e : taken)
        values << recordValues(e);

    QMap<long long, qsizetype> inCourse;
    for (const CourseExercise& x : course) {
        inCourse.insert(x.number, out.course.size());
        out.course << CourseLine{x.number, x.description, 0, 0, 0, {}, 0};
    }
    QMap<long long, CourseLine> outside;
    for (qsizetype i = 0; i < taken.size(); ++i) {
        const Entry& e = taken[i];
        if (e.record.type.trimmed() != out.type)
            continue;
        if (!isOwnExercise(e.record.exercise)) {
            ++(e.record.exerciseNumber() ? out.otherRecords : out.unnumbered);
            continue;
        }
        const auto number = e.record.exerciseNumber();
        if (!number) {
            ++out.unnumbered;
            continue;
        }
        ++out.ownRecords;
        if (const auto at = inCourse.constFind(*number); at != inCourse.constEnd()) {
            add(out.course[*at], e, values[i]);
        } else {
            CourseLine& line = outside[*number];
            line.number = *number;
            add(line, e, values[i]);
            if (line.lastRow == e.sheetRow())
                line.description = e.record.exercise.simplified();
        }
    }
    out.outside = outside.values();
    return out;
}

QString courseListsText(long long number) {
    if (number < 0 || number > 999)
        return QStringLiteral("ни в одном");
    const QString n = QStringLiteral("%1").arg(number, 3);
    QStringList lists;
    if (logbook::inDayControlList(n))
        lists << QStringLiteral("контрольный днём");
    if (logbook::inDayTrainingList(n))
        lists << QStringLiteral("тренировочный днём");
    if (logbook::inNightControlList(n))
        lists << QStringLiteral("контрольный ночью");
    if (logbook::inNightTrainingList(n))
        lists << QStringLiteral("тренировочный ночью");
    return lists.isEmpty() ? QStringLiteral("ни в одном") : lists.join(QStringLiteral(", "));
}

QString flightsText(double flights) {
    QString s = QString::number(flights, 'g', 15);
    s.replace(u'.', u',');
    return s;
}

QString courseSummaryLine(const CourseProgress& p) {
    QString s = QStringLiteral("Выполнено упражнений курса: %1 из %2; записей своих упражнений: %3")
                    .arg(p.flownInCourse())
                    .arg(p.course.size())
                    .arg(p.ownRecords);
    if (!p.outside.isEmpty())
        s += QStringLiteral(", из них вне курса упражнений: %1").arg(p.outside.size());
    if (p.otherRecords > 0)
        s += QStringLiteral("; инструкторских и в составе экипажа (в курс не входят): %1").arg(p.otherRecords);
    if (p.unnumbered > 0)
        s += QStringLiteral("; без номера упражнения: %1").arg(p.unnumbered);
    return s;
}

namespace {

QString tableLines(const QList<CourseLine>& lines, bool withLists) {
    QString out;
    for (const CourseLine& l : lines) {
        out += QStringLiteral("%1  %2 %3  %4  %5  %6\n")
                   .arg(l.number, 4)
                   .arg(l.records ? flightsText(l.dayFlights) : QString(), 5)
                   .arg(l.records ? flightsText(l.nightFlights) : QString(), 6)
                   .arg(l.records ? dateText(l.last) : QStringLiteral("—"), -10)
                   .arg(withLists ? courseListsText(l.number) : QString(), withLists ? -40 : 0)
                   .arg(l.description);
    }
    return out;
}

QJsonArray linesJson(const QList<CourseLine>& lines) {
    QJsonArray a;
    for (const CourseLine& l : lines)
        a.append(QJsonObject{{QStringLiteral("number"), double(l.number)},
                             {QStringLiteral("description"), l.description},
                             {QStringLiteral("day"), l.dayFlights},
                             {QStringLiteral("night"), l.nightFlights},
                             {QStringLiteral("records"), l.records},
                             {QStringLiteral("last"), l.records ? QJsonValue(dateText(l.last)) : QJsonValue()},
                             {QStringLiteral("row"), l.records ? QJsonValue(l.lastRow) : QJsonValue()},
                             {QStringLiteral("lists"), courseListsText(l.number)}});
    return a;
}

} // namespace

QString courseTable(const CourseProgress& p, const QString& periodText) {
    QString out = QStringLiteral("Выполнение упражнений курса: %1, %2\n\n").arg(p.type, periodText);
    out += QStringLiteral("%1  %2 %3  %4  %5  упражнение\n")
               .arg(QStringLiteral("упр."), 4)
               .arg(QStringLiteral("днём"), 5)
               .arg(QStringLiteral("ночью"), 6)
               .arg(QStringLiteral("последний"), -10)
               .arg(QStringLiteral("списки итогов"), -40);
    out += tableLines(p.course, true);
    if (!p.outside.isEmpty()) {
        out += QStringLiteral("\nВыполнено вне курса:\n");
        out += tableLines(p.outside, true);
    }
    out += u'\n' + courseSummaryLine(p) + u'\n';
    return out;
}

QJsonObject courseJson(const CourseProgress& p, const QString& periodText) {
    return {{QStringLiteral("type"), p.type},
            {QStringLiteral("period"), periodText},
            {QStringLiteral("course"), linesJson(p.course)},
            {QStringLiteral("outside"), linesJson(p.outside)},
            {QStringLiteral("flown"), p.flownInCourse()},
            {QStringLiteral("exercises"), int(p.course.size())},
            {QStringLiteral("ownRecords"), p.ownRecords},
            {QStringLiteral("otherRecords"), p.otherRecords},
            {QStringLiteral("unnumbered"), p.unnumbered}};
}

} // namespace korv::totals
