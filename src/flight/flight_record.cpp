#include "flight/flight_record.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/numtext.h"

#include <QRegularExpression>

namespace korv::flight {

namespace {

namespace column = logbook::records::column;
using logbook::timeCell;

// "h:mm" from the hours and minutes texts as typed ("1" and "5" give 1:05).
QVariant flightTime(const QString& hours, const QString& minutes) {
    const auto h = wholeNumber(hours);
    const auto m = wholeNumber(minutes);
    if (h && m && *h >= 0 && *m >= 0)
        return timeCell(Minutes(int(*h * 60 + *m)));
    return QString(hours + u':' + minutes);
}

// A result box's time: the calculation's minutes while the box shows them; else what the pilot typed over
// them, read as H.MM. All the hours are kept ("10.30" is 10:30).
QVariant resultTime(const ResultBox& box, Int16 calculated) {
    if (box.text == formatHoursMinutes(calculated.value()))
        return timeCell(Minutes(calculated.value()));
    static const QRegularExpression re(QStringLiteral(R"(^(\d+)\.(\d\d)$)"));
    const auto m = re.match(box.text);
    if (m.hasMatch())
        return timeCell(Minutes(m.captured(1).toInt() * 60 + m.captured(2).toInt()));
    return QString(box.text.left(1) + u':' + box.text.right(2));
}

// Cloud top or base: the number typed, or "---" when nothing was typed.
QVariant heightOrDashes(const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("---");
    return leadingNumber(text);
}

} // namespace

FlightKind flightKind(const InputForm& form) {
    if (form.optPrivate)
        return FlightKind::Private;
    if (form.optTeacher)
        return FlightKind::Teacher;
    if (form.optGavno)
        return FlightKind::Crew;
    return FlightKind::None;
}

QString RecordText(FlightKind kind, long long exercise, const QString& description) {
    const QString n = QString::number(exercise);
    switch (kind) {
    case FlightKind::Teacher:
        return QStringLiteral("Инстр. по упр.") + n + u' ' + description.mid(10);
    case FlightKind::Crew:
        return QStringLiteral("В сост. эк. ") + description.mid(4) + QStringLiteral(" по упр.") + n;
    case FlightKind::Private:
    case FlightKind::None:
        break;
    }
    return QStringLiteral("Упр.") + n.rightJustified(3, u' ') + u' ' + description;
}

std::optional<QVariant> typedValue(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    try {
        return QVariant(strictNumber(text));
    } catch (const Error&) {
        return QVariant(text);
    }
}

QString decimalCommaText(double v) {
    QString s = QString::number(v, 'g', 15);
    s.replace(u'.', u',');
    return s;
}

QDate recordDate(const InputForm& form) {
    const auto d = parseFlightDate(form.txtDate);
    if (!d)
        throw Error::typeMismatch(
            QStringLiteral("дата полётов «%1» — не день календаря вида дд.мм.гг (годы 2000–2099)").arg(form.txtDate));
    return *d;
}

long long exerciseNumber(const InputForm& form) {
    const auto n = wholeNumber(form.txtUpr);
    if (!n)
        throw Error::typeMismatch(QStringLiteral("номер упражнения «%1» не целое число").arg(form.txtUpr));
    return *n;
}

QString ownExerciseText(ReferenceDatabase& reference, long long exercise) {
    QString description;
    try {
        description = reference.exerciseDescription(QString::number(exercise));
    } catch (const Error&) {
        // An exercise the reference does not know keeps its number; the check names it.
    }
    const QString text = RecordText(FlightKind::Private, exercise, description);
    return description.isEmpty() ? text.trimmed() : text;
}

logbook::PairCells buildFlightRecord(const ShiftSession& session, const QString& description) {
    const InputForm& f = session.form;
    const WorkingValues& v = session.values();
    const FlightKind kind = flightKind(f);

    logbook::PairCells r;
    auto& first = r.first;
    auto putTyped = [&](int column, const QString& text) {
        if (auto value = typedValue(text))
            first[column] = *value;
    };

    first[column::A] = logbook::dateCell(recordDate(f));
    first[column::B] = f.cboTyp;
    first[column::C] = session.DayNightLetter;
    first[column::D] = kind == FlightKind::Teacher ? QStringLiteral("И") : session.SeatLetter;
    first[column::E] = RecordText(kind, exerciseNumber(f), description);
    putTyped(column::F, f.txtPol);
    first[column::G] = flightTime(f.txtTpolChas, f.txtTpolMin);
    if (!f.txtZakKab.text.isEmpty())
        first[column::H] = resultTime(f.txtZakKab, v.ClosedCabinTime);
    if (kind != FlightKind::Crew) {
        if (!f.txtSMU.text.isEmpty())
            first[column::I] = resultTime(f.txtSMU, v.SmuTime);
        if (!f.txtObl.text.isEmpty())
            first[column::J] = resultTime(f.txtObl, v.CloudTime);
        putTyped(column::O, f.txtVzl);
        if (!f.cboSys.isEmpty())
            first[column::P] = f.cboSys;
        putTyped(column::Q, f.txtZah);
        putTyped(column::R, f.txtPos);
        putTyped(column::S, f.txtUMP.text);
    }
    const double maxKm = v.MaxAltitude.value() / 1000.0;
    if (!f.txtHmin.isEmpty())
        first[column::K] =
            QString(decimalCommaText(maxKm) + u'/' + decimalCommaText(leadingNumber(f.txtHmin) / 1000.0));
    else
        first[column::K] = maxKm;
    first[column::L] = double(v.CloudAmount.value());
    first[column::M] = heightOrDashes(f.txtHv);
    r.second[column::M] = heightOrDashes(f.txtHn);
    first[column::N] = formatSingle(v.Visibility).toDouble();
    return r;
}

} // namespace korv::flight
