#include "flight/flight_record.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/numtext.h"

#include <QRegularExpression>

namespace korv::flight {

namespace {

// "h:mm" from the hours and minutes texts as typed ("1" and "5" give 1:05).
CellValue flightTime(const QString& hours, const QString& minutes) {
    const auto h = wholeNumber(hours);
    const auto m = wholeNumber(minutes);
    if (h && m && *h >= 0 && *m >= 0)
        return CellValue::ofMinutes(int(*h * 60 + *m));
    return CellValue::ofText(hours + u':' + minutes);
}

// A result box's H.MM as a time. All the hours are kept ("10.30" is 10:30).
CellValue resultTime(const QString& hmm) {
    static const QRegularExpression re(QStringLiteral(R"(^(\d+)\.(\d\d)$)"));
    const auto m = re.match(hmm);
    if (m.hasMatch())
        return CellValue::ofMinutes(m.captured(1).toInt() * 60 + m.captured(2).toInt());
    return CellValue::ofText(hmm.left(1) + u':' + hmm.right(2));
}

// Cloud top or base: the number typed, or "---" when nothing was typed.
CellValue heightOrDashes(const QString& text) {
    if (text.isEmpty())
        return CellValue::ofText(QStringLiteral("---"));
    return CellValue::ofNumber(leadingNumber(text));
}

} // namespace

const CellValue* FlightRecord::cell(char column, int row) const {
    for (const RecordCell& c : cells) {
        if (c.column == column && c.row == row)
            return &c.value;
    }
    return nullptr;
}

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

std::optional<CellValue> typedValue(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    try {
        return CellValue::ofNumber(strictNumber(text));
    } catch (const Error&) {
        return CellValue::ofText(text);
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
            QStringLiteral("дата полётов «%1» не дата вида дд.мм.гг (годы 2000–2099)").arg(form.txtDate));
    return *d;
}

long long exerciseNumber(const InputForm& form) {
    const auto n = wholeNumber(form.txtUpr);
    if (!n)
        throw Error::typeMismatch(QStringLiteral("номер упражнения «%1» не целое число").arg(form.txtUpr));
    return *n;
}

FlightRecord buildFlightRecord(const ShiftSession& session, const QString& description) {
    const InputForm& f = session.form;
    const WorkingValues& v = session.values();
    const FlightKind kind = flightKind(f);

    FlightRecord r;
    r.date = recordDate(f);
    auto put = [&](char column, int row, CellValue value) { r.cells.append({column, row, std::move(value)}); };
    auto putTyped = [&](char column, const QString& text) {
        if (auto value = typedValue(text))
            put(column, 0, *value);
    };

    put('A', 0, CellValue::ofDate(r.date));
    put('B', 0, CellValue::ofText(f.cboTyp));
    put('C', 0, CellValue::ofText(session.DayNightLetter));
    put('D', 0, CellValue::ofText(kind == FlightKind::Teacher ? QStringLiteral("И") : session.SeatLetter));
    put('E', 0, CellValue::ofText(RecordText(kind, exerciseNumber(f), description)));
    putTyped('F', f.txtPol);
    put('G', 0, flightTime(f.txtTpolChas, f.txtTpolMin));
    if (!f.txtZakKab.text.isEmpty())
        put('H', 0, resultTime(f.txtZakKab.text));
    if (kind != FlightKind::Crew) {
        if (!f.txtSMU.text.isEmpty())
            put('I', 0, resultTime(f.txtSMU.text));
        if (!f.txtObl.text.isEmpty())
            put('J', 0, resultTime(f.txtObl.text));
        putTyped('O', f.txtVzl);
        if (!f.cboSys.isEmpty())
            put('P', 0, CellValue::ofText(f.cboSys));
        putTyped('Q', f.txtZah);
        putTyped('R', f.txtPos);
        putTyped('S', f.txtUMP.text);
    }
    const double maxKm = v.MaxAltitude.value() / 1000.0;
    if (!f.txtHmin.isEmpty())
        put('K', 0,
            CellValue::ofText(decimalCommaText(maxKm) + u'/' + decimalCommaText(leadingNumber(f.txtHmin) / 1000.0)));
    else
        put('K', 0, CellValue::ofNumber(maxKm));
    put('L', 0, CellValue::ofNumber(v.CloudAmount.value()));
    put('M', 0, heightOrDashes(f.txtHv));
    put('M', 1, heightOrDashes(f.txtHn));
    put('N', 0, CellValue::ofNumber(formatSingle(v.Visibility).toDouble()));
    return r;
}

} // namespace korv::flight
