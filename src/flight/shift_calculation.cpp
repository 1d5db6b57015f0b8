#include "flight/shift_calculation.h"

#include "common/error.h"
#include "common/flightdate.h"
#include "common/log.h"
#include "common/numtext.h"
#include "flight/input_fields.h"
#include "flight/interpolation.h"
#include "logbook/exercise_lists.h"

namespace korv::flight {

namespace {

const QString kSu24 = QStringLiteral("Су-24");

// A result box shows a positive time; a zero time empties and hides it; a negative one leaves it as
// the start of the calculation left it (empty, visibility unchanged).
// The texts of the result boxes go at the start of every press; their visibility stays as it is.
void clearResultTexts(InputForm& form) {
    for (ResultBox* box : {&form.txtZakKab, &form.txtObl, &form.txtUMP, &form.txtSMU})
        box->text.clear();
}

void showTime(ResultBox& box, Int16 minutes) {
    if (minutes > 0) {
        box.text = formatHoursMinutes(minutes);
        box.visible = true;
    } else if (minutes == 0) {
        box.text.clear();
        box.visible = false;
    }
}

} // namespace

ShiftSession::ShiftSession(TableSource& tables) : tables_(tables) {}

void ShiftSession::RefreshInputState() {
    if (!form.txtTpolChas.isEmpty() && !form.txtTpolMin.isEmpty() && !form.cboTyp.isEmpty())
        form.cmdOKEnabled = true;
    if (form.optDSMU)
        DayNightLetter = QStringLiteral("Д");
    if (form.optNSMU)
        DayNightLetter = QStringLiteral("Н");
    if (form.optForward)
        SeatLetter = form.cboTyp == kSu24 ? QStringLiteral("Л") : QStringLiteral("П");
    if (form.optBack)
        SeatLetter = form.cboTyp == kSu24 ? QStringLiteral("Пр") : QStringLiteral("З");
}

template <class Read>
auto ShiftSession::fromBox(const QString& caption, Read&& read) {
    try {
        return read();
    } catch (const Error&) {
        failedBox_ = caption;
        throw;
    }
}

Notices ShiftSession::cmdOK_Click() {
    Notices notices;
    if (!form.cmdOKEnabled)
        return notices;
    // Whatever this press ends in, the results of an earlier one are gone or no longer these inputs'.
    form.cmdWriteEnabled = false;
    calculated_.reset();
    failedBox_.clear();
    try {
        if (CheckDate(notices) && CheckMinutes(notices) && Calculate(notices))
            CheckEntry(notices);
    } catch (const Error& e) {
        const QString box = failedBox_.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(failedBox_);
        if (e.number() == Error::Overflow)
            notices << Notice{text::kOverflowTitle, text::kOverflow + box, Notice::Icon::Warning};
        else {
            log::error(QStringLiteral("Считать"), e);
            notices << Notice{text::kGeneralErrorTitle, e.text() + box, Notice::Icon::Critical};
        }
    }
    return notices;
}

bool ShiftSession::CheckMinutes(Notices& notices) {
    // 1 h 99 min would be written as 2:39: the pilot meant something else, and only he knows what.
    const QString typed = form.txtTpolMin.trimmed();
    bool isNumber = false;
    const double minutes = typed.toDouble(&isNumber);
    if (!isNumber || (minutes >= 0 && minutes < 60))
        return true; // a text that is no number is the calculation's to refuse
    clearResultTexts(form);
    notices << Notice{text::kCheckTitle, text::kMinutes.arg(QStringLiteral("налёт, мин"), typed.left(16)),
                      Notice::Icon::Warning};
    return false;
}

bool ShiftSession::CheckDate(Notices& notices) {
    // No date at all is "Записать"'s to refuse: the calculation needs none.
    const QString typed = form.txtDate.trimmed();
    if (typed.isEmpty() || parseFlightDate(typed))
        return true;
    clearResultTexts(form);
    notices << Notice{text::kDateTitle,
                      text::kNoDate.arg(typed.left(24), formatShortDate(today)) +
                          QStringLiteral(" (%1)").arg(QString::fromUtf8(captionOf(&InputForm::txtDate))),
                      Notice::Icon::Warning};
    return false;
}

bool ShiftSession::Calculate(Notices& notices) {
    FlightDate = form.txtDate;
    PeriodMonth = form.txtDate.mid(3, 2);

    clearResultTexts(form);
    v_.BelowCloudTime = v_.CloudTime = v_.HoodOpenTime = v_.AboveCloudTime = 0;
    v_.ClosedCabinTime = v_.SmuTime = v_.LowWeatherTime = 0;

    v_.MaxAltitude = fromBox(captionOf(&InputForm::txtHpol), [&] { return leadingInt16(form.txtHpol); });
    if (v_.MaxAltitude == 0) {
        notices << Notice{text::kAltitudeTitle, text::kAltitude, Notice::Icon::None};
        return false;
    }

    // Hours and minutes make one real that is rounded once: 9 h 06 min fits, 9 h 07 min does not.
    const double hours = fromBox(captionOf(&InputForm::txtTpolChas), [&] { return strictNumber(form.txtTpolChas); });
    const double minutes = fromBox(captionOf(&InputForm::txtTpolMin), [&] { return strictNumber(form.txtTpolMin); });
    v_.FlightSeconds =
        fromBox(QStringLiteral("налёт, ч и мин"), [&] { return roundToInt16(hours * 3600 + minutes * 60); });

    v_.CloudAmount = fromBox(captionOf(&InputForm::txtBal), [&] { return leadingInt16(form.txtBal); });
    if (v_.CloudAmount > 10) {
        v_.CloudAmount = 10;
        form.txtBal = QStringLiteral("10");
    }

    v_.FlightCount = fromBox(captionOf(&InputForm::txtPol), [&] { return QString::number(strictInt16(form.txtPol)); });

    v_.CloudBase = fromBox(captionOf(&InputForm::txtHn), [&] { return leadingInt16(form.txtHn); });
    v_.CloudTop = fromBox(captionOf(&InputForm::txtHv), [&] { return leadingInt16(form.txtHv); });
    if (v_.CloudTop == 0)
        v_.CloudTop = 12000;

    v_.Visibility = static_cast<float>(leadingNumber(form.txtVidKm) + leadingNumber(form.txtVidSm) * 0.1);
    if (v_.Visibility == 0)
        v_.Visibility = 10;

    v_.HoodCloseHeight = fromBox(captionOf(&InputForm::txtShtorkaZ), [&] { return leadingInt16(form.txtShtorkaZ); });
    v_.HoodOpenHeight = fromBox(captionOf(&InputForm::txtShtorkaO), [&] { return leadingInt16(form.txtShtorkaO); });

    // Never more landings with a system than approaches.
    if (!form.txtPos.isEmpty() && !form.txtZah.isEmpty() && leadingNumber(form.txtZah) < leadingNumber(form.txtPos))
        form.txtPos = form.txtZah;

    const QString clouds = QStringLiteral("облачность, Нн и Нв");
    const QString hood = QStringLiteral("шторка, высоты закрытия и открытия");
    fromBox(clouds, [&] { SelectTypeTables(); });

    const Int16 T = v_.FlightSeconds;
    bool reachedClouds = false;
    hoodBesideClouds_ = false;
    if (v_.CloudAmount < 7 || T <= 0) {
        // Few clouds or no flight time: only low visibility or the hood count.
        if (v_.Visibility <= minima_.VisMin1) {
            v_.LowWeatherTime = T;
        } else if (HoodUsed()) {
            fromBox(hood, [&] { HoodTime(); });
            v_.ClosedCabinTime = T - v_.HoodOpenTime;
        }
    } else if (v_.MaxAltitude < v_.CloudBase) {
        // The flight stayed below the clouds.
        const bool below = WeatherBelowMinima();
        if (below && HoodUsed()) {
            fromBox(hood, [&] { HoodTime(); });
            v_.ClosedCabinTime = T - v_.HoodOpenTime;
            v_.LowWeatherTime = v_.HoodOpenTime;
        } else if (below) {
            v_.LowWeatherTime = T;
        } else if (HoodUsed()) {
            fromBox(hood, [&] { HoodTime(); });
            v_.ClosedCabinTime = T - v_.HoodOpenTime;
        }
    } else {
        // The flight reached the clouds.
        reachedClouds = true;
        fromBox(clouds, [&] { CloudTimes(); });
        const Int16 A = v_.BelowCloudTime;
        const Int16 Obl = v_.CloudTime;
        const bool below = WeatherBelowMinima();
        if (HoodUsed()) {
            fromBox(hood, [&] { HoodTime(); });
            const Int16 Sht = v_.HoodOpenTime;
            if (Sht > A) {
                v_.ClosedCabinTime = T - Sht;
                v_.AboveCloudTime = Sht - A - Obl;
                if (below)
                    v_.LowWeatherTime = A;
            } else {
                v_.ClosedCabinTime = T - Sht - Obl;
                hoodBesideClouds_ = true;
                if (below)
                    v_.LowWeatherTime = Sht;
            }
        } else {
            v_.AboveCloudTime = T - A - Obl;
            if (below)
                v_.LowWeatherTime = A;
        }
    }

    SecondsToMinutes();
    AdjustRounding();
    // Several flights multiply only the passage through the clouds; without it there is nothing to
    // multiply.
    if (reachedClouds)
        AdjustSeveralFlights();
    KeepWithinFlight();
    ShowResults();
    ShowLandingsAtMinimum();
    return true;
}

void ShiftSession::SelectTypeTables() {
    const auto position = kAircraftTypes.indexOf(form.cboTyp);
    umpApplies_ = position == 0;
    if (position < 0)
        return; // a type outside the list selects nothing: the previous choice stays
    PodTable = QStringLiteral("Z_Time_Pod_") + kTypeSuffixes[position];
    OblTable = QStringLiteral("Z_Time_Obl_") + kTypeSuffixes[position];
    if (position == 0) {
        SetMinimaL39();
        ColumnKey = v_.CloudTop;
        UmpBase = 300;
        UmpVis = 3.0f;
        ExerciseQuery = exerciseQueryText(form.txtUpr);
    } else {
        SetMinimaOther();
        ColumnKey = v_.CloudTop - v_.CloudBase;
    }
}

void ShiftSession::SetMinimaL39() {
    if (form.optDSMU)
        minima_ = {250, 4.0f, 300, 4.5f};
    else if (form.optNSMU)
        minima_ = {300, 4.5f, 400, 5.0f};
}

void ShiftSession::SetMinimaOther() {
    if (form.optDSMU)
        minima_ = {400, 3.0f, 500, 4.0f};
    else if (form.optNSMU)
        minima_ = {500, 4.0f, 600, 5.0f};
}

bool ShiftSession::WeatherBelowMinima() const {
    return v_.CloudBase <= minima_.BaseMin1 || v_.Visibility <= minima_.VisMin1 ||
           (v_.CloudBase <= minima_.BaseMin2 && v_.Visibility <= minima_.VisMin2);
}

bool ShiftSession::HoodUsed() const { return v_.HoodCloseHeight > 0 && v_.HoodOpenHeight > 0; }

void ShiftSession::CloudTimes() {
    v_.BelowCloudTime = lookupOneKey(tables_.table(PodTable), v_.CloudBase, PodTable);
    const Table obl = tables_.table(OblTable);
    if (v_.CloudTop < v_.MaxAltitude)
        v_.CloudTime = lookupTwoKeys(obl, v_.CloudBase, ColumnKey, OblTable);
    else
        v_.CloudTime = v_.FlightSeconds - v_.BelowCloudTime;
}

void ShiftSession::HoodTime() {
    // The mean hood height takes the place of the cloud base until the УМП check restores it.
    const Int16 sum = v_.HoodCloseHeight + v_.HoodOpenHeight;
    v_.CloudBase = roundToInt16(sum / 2.0);
    v_.HoodOpenTime = lookupOneKey(tables_.table(PodTable), v_.CloudBase, PodTable);
}

void ShiftSession::SecondsToMinutes() {
    for (Int16* t : {&v_.BelowCloudTime, &v_.CloudTime, &v_.AboveCloudTime, &v_.ClosedCabinTime, &v_.LowWeatherTime,
                     &v_.HoodOpenTime, &v_.FlightSeconds})
        *t = roundToInt16(*t / 60.0);
    v_.SmuTime = v_.LowWeatherTime + v_.CloudTime + v_.AboveCloudTime;
}

void ShiftSession::AdjustRounding() {
    // Rounding each part to whole minutes can leave the parts one minute off the flight time.
    if (v_.HoodCloseHeight != 0 || v_.HoodOpenHeight != 0 || v_.LowWeatherTime <= 0)
        return;
    if (v_.FlightSeconds > v_.CloudTime + v_.LowWeatherTime + v_.AboveCloudTime) {
        v_.CloudTime = v_.CloudTime + Int16(1);
        v_.SmuTime = v_.LowWeatherTime + v_.CloudTime + v_.AboveCloudTime;
    }
    if (v_.FlightSeconds < v_.CloudTime + v_.LowWeatherTime + v_.AboveCloudTime) {
        v_.AboveCloudTime = v_.AboveCloudTime - Int16(1);
        v_.SmuTime = v_.LowWeatherTime + v_.CloudTime + v_.AboveCloudTime;
    }
}

void ShiftSession::AdjustSeveralFlights() {
    const double P = v_.FlightCount.toDouble();
    if (P <= 1)
        return;
    const Int16 before = v_.CloudTime;
    if (v_.CloudTop < v_.MaxAltitude) {
        // Every flight went through the clouds twice over the shift: once per flight.
        v_.CloudTime = roundToInt16(P * v_.CloudTime.value());
        if (v_.LowWeatherTime == 0)
            v_.SmuTime = roundToInt16(v_.SmuTime.value() - (P - 1) * v_.BelowCloudTime.value());
    } else if (v_.CloudTop > v_.MaxAltitude) {
        // The flights stayed in the clouds: everything but the climbs and descents below them.
        v_.CloudTime = roundToInt16(v_.FlightSeconds.value() - P * v_.BelowCloudTime.value());
        if (v_.LowWeatherTime == 0)
            v_.SmuTime = v_.CloudTime;
    }
    // The further passages through the clouds are flown in clouds like the first: in complex weather,
    // and not under the hood where the hood time already left the clouds out.
    const Int16 added = v_.CloudTime - before;
    if (added > 0) {
        if (hoodBesideClouds_)
            v_.ClosedCabinTime = v_.ClosedCabinTime - added;
        if (v_.LowWeatherTime != 0)
            v_.SmuTime = v_.SmuTime + added;
    }
}

void ShiftSession::KeepWithinFlight() {
    // Table times of one flight, several flights or a hood opened inside the clouds can add up to more
    // than the shift; a result never does: no part longer than the flight time, the time in clouds counted
    // in complex weather, and none of it under the hood.
    const Int16 T = v_.FlightSeconds;
    if (T < 0)
        return;
    if (v_.CloudTime > T)
        v_.CloudTime = T;
    if (v_.SmuTime > T)
        v_.SmuTime = T;
    if (v_.CloudTime > 0 && v_.SmuTime < v_.CloudTime)
        v_.SmuTime = v_.CloudTime;
    const Int16 besideClouds = v_.CloudTime > 0 ? T - v_.CloudTime : T;
    if (v_.ClosedCabinTime > besideClouds)
        v_.ClosedCabinTime = besideClouds;
}

void ShiftSession::ShowResults() {
    showTime(form.txtZakKab, v_.ClosedCabinTime);
    showTime(form.txtObl, v_.CloudTime);
    if (v_.SmuTime > 0) {
        form.txtSMU.text = formatHoursMinutes(v_.SmuTime);
        form.txtSMU.visible = true;
    }
}

void ShiftSession::ShowLandingsAtMinimum() {
    v_.CloudBase = leadingInt16(form.txtHn);
    // Strict comparisons: exactly 3.0 km or exactly 300 m is not below the limit.
    if (umpApplies_ &&
        ((v_.Visibility != 0 && v_.Visibility < UmpVis) || (v_.CloudBase != 0 && v_.CloudBase < UmpBase))) {
        form.txtUMP.text = form.txtPos;
        form.txtUMP.visible = true;
    }
    if (form.txtUMP.text.isEmpty())
        form.txtUMP.visible = false;
}

void ShiftSession::CheckEntry(Notices& notices) {
    const bool kindChosen = form.optPrivate || form.optTeacher || form.optGavno;
    const bool seatChosen = form.optForward || form.optBack;
    const bool timeChosen = form.optDSMU || form.optNSMU;
    if (form.txtPol.isEmpty() || form.txtUpr.isEmpty() || !kindChosen || !seatChosen || !timeChosen) {
        notices << Notice{text::kCheckTitle, text::kCheck, Notice::Icon::Warning};
        return;
    }
    form.cmdWriteEnabled = true;
    calculated_ = inputsOf(form);
    // The pilot's own exercise flown at the other time of day than its list: written as he says, but he
    // learns now how the totals will count it.
    if (form.optPrivate)
        if (const auto n = wholeNumber(form.txtUpr))
            if (const auto mismatch = logbook::timeOfDayMismatch(*n, DayNightLetter))
                notices << Notice{text::kTimeOfDayTitle, mismatch->at(0).toUpper() + mismatch->mid(1) + u'.',
                                  Notice::Icon::Warning};
}

} // namespace korv::flight
