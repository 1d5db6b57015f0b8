#include "flight/record_form.h"

#include "common/numtext.h"
#include "logbook/record_layout.h"

#include <cmath>

namespace korv::flight {

namespace {

namespace column = logbook::records::column;

// A count or a height as the boxes take it: a whole number, nothing for an empty or unreadable cell.
QString wholeText(const QVariant& cell) {
    if (cell.typeId() == QMetaType::Double || cell.typeId() == QMetaType::Int || cell.typeId() == QMetaType::LongLong) {
        const double v = cell.toDouble();
        if (std::isfinite(v) && v >= 0 && v == std::floor(v))
            return QString::number(qint64(v));
        return {};
    }
    const QString text = cell.toString().trimmed();
    return wholeNumber(text) ? text : QString();
}

QString countText(const logbook::CountReading& count) {
    if (count.reading == logbook::Reading::Empty || count.unreadable() || count.value < 0 ||
        count.value != std::floor(count.value))
        return {};
    return QString::number(qint64(count.value));
}

// Kilometres as the program writes them ("3,5" or 3.5) in metres.
QString metresOfKm(const QString& km) {
    bool ok = false;
    const double v = QString(km).replace(u',', u'.').trimmed().toDouble(&ok);
    return ok && v >= 0 ? QString::number(qRound64(v * 1000)) : QString();
}

} // namespace

RecordForm formOfRecord(const logbook::Record& record, const logbook::PairCells& cells) {
    RecordForm r;
    InputForm& f = r.form;
    const auto& first = cells.first;
    f.txtDate = record.date.toString(QStringLiteral("dd.MM.yy"));
    f.cboTyp = record.type.trimmed();
    const QString dayNight = record.dayNight.trimmed();
    f.optDSMU = dayNight == QStringLiteral("Д");
    f.optNSMU = dayNight == QStringLiteral("Н");
    if (!f.optDSMU && !f.optNSMU)
        r.unknown << QStringLiteral("день/ночь");

    const QString exercise = record.exercise.trimmed();
    if (exercise.startsWith(QStringLiteral("Инстр. по упр.")))
        f.optTeacher = true;
    else if (exercise.startsWith(QStringLiteral("В сост. эк.")))
        f.optGavno = true;
    else
        f.optPrivate = true;
    if (const auto n = record.exerciseNumber())
        f.txtUpr = QString::number(*n);
    else
        r.unknown << QStringLiteral("номер упражнения");

    const QString seat = record.seat.trimmed();
    f.optForward = seat == QStringLiteral("П") || seat == QStringLiteral("Л");
    f.optBack = seat == QStringLiteral("З") || seat == QStringLiteral("Пр");
    if (!f.optForward && !f.optBack)
        r.unknown << QStringLiteral("сидение");

    f.txtPol = countText(record.flights);
    if (record.total.reading != logbook::Reading::Empty && !record.total.unreadable() &&
        record.total.minutes.count >= 0) {
        f.txtTpolChas = QString::number(record.total.minutes.count / 60);
        f.txtTpolMin = QString::number(record.total.minutes.count % 60);
    } else {
        f.txtTpolChas.clear();
        r.unknown << QStringLiteral("налёт");
    }

    // K: the maximum altitude in km, or "max/min" when a minimum was given.
    const QVariant k = first[column::K];
    if (k.typeId() == QMetaType::QString) {
        const QStringList parts = k.toString().split(u'/');
        f.txtHpol = metresOfKm(parts.value(0));
        if (parts.size() > 1)
            f.txtHmin = metresOfKm(parts.value(1));
    } else if (k.isValid() && !k.isNull()) {
        f.txtHpol = metresOfKm(QString::number(k.toDouble(), 'g', 15));
    }
    if (f.txtHpol.isEmpty())
        r.unknown << QStringLiteral("высота п-та");
    f.txtBal = wholeText(first[column::L]);
    f.txtHv = wholeText(first[column::M]);
    f.txtHn = wholeText(cells.second[column::M]);
    // N: the visibility in km with its tenths, as the form's two boxes give it.
    const QVariant n = first[column::N];
    if (n.isValid() && !n.isNull() && !n.toString().isEmpty()) {
        const long long tenths = qRound64(n.toDouble() * 10);
        if (tenths >= 0) {
            f.txtVidKm = QString::number(tenths / 10);
            f.txtVidSm = tenths % 10 != 0 ? QString::number(tenths % 10) : QString();
        }
    }
    f.txtVzl = countText(record.takeOffs);
    const QString system = record.system.trimmed();
    if (!system.isEmpty())
        f.cboSys = system;
    f.txtZah = countText(record.approaches);
    f.txtPos = countText(record.landings);
    r.unknown << QStringLiteral("высоты шторки");
    return r;
}

} // namespace korv::flight
