#pragma once

// The cloud, hood and complex-weather calculation of one input-form session.

#include "common/int16.h"
#include "common/notice.h"
#include "flight/input_form.h"
#include "flight/reference_db.h"

#include <QDate>
#include <QString>

#include <optional>

namespace korv::flight {

// The working values of one calculation. Times are seconds until SecondsToMinutes, whole minutes after.
struct WorkingValues {
    Int16 MaxAltitude;
    Int16 FlightSeconds;
    Int16 CloudAmount;
    Int16 CloudBase;
    Int16 CloudTop;
    float Visibility = 0;
    Int16 HoodCloseHeight;
    Int16 HoodOpenHeight;
    Int16 BelowCloudTime;
    Int16 CloudTime;
    Int16 AboveCloudTime;
    Int16 HoodOpenTime;
    Int16 ClosedCabinTime;
    Int16 LowWeatherTime;
    Int16 SmuTime;
    QString FlightCount; // the flight count as a whole number, kept as text
};

// Weather minima of a type, by day or by night.
struct Minima {
    Int16 BaseMin1;
    float VisMin1 = 0;
    Int16 BaseMin2;
    float VisMin2 = 0;
};

// Message texts of the input form.
namespace text {
inline const QString kOverflowTitle = QStringLiteral("Ошибка переполнения");
inline const QString kOverflow = QStringLiteral("Переполнение текстового окна ввода данных. Уберите лишний символ.");
inline const QString kGeneralErrorTitle = QStringLiteral("Error in #MODULE#.#PROC#");
inline const QString kAltitudeTitle = QStringLiteral("Высота");
inline const QString kAltitude = QStringLiteral("На такой высоте можно только ползать. Не забывайте вводить высоту.");
inline const QString kCheckTitle = QStringLiteral("Проверка данных");
inline const QString kCheck = QStringLiteral("Не все необходимые данные внесены. Исправьте и снова нажмите Считать.");
inline const QString kDateTitle = QStringLiteral("Дата полётов");
inline const QString kNoDate =
    QStringLiteral("«%1» — не дата полётов. Введите день, месяц и год по образцу %2 (годы 2000–2099).");
inline const QString kTimeOfDayTitle = QStringLiteral("Упражнение и время суток");
inline const QString kMinutes =
    QStringLiteral("В окне «%1» стоит «%2», а минут налёта может быть от 0 до 59. Исправьте и снова нажмите Считать.");
} // namespace text

// One session of the flight-shift input form: the form's state and the values that last from one
// press of "Считать" to the next for the run of the program (minima, УМП limits, table names, column
// key, exercise query, the day/night and seat letters). Pure logic: the widgets only mirror `form`.
class ShiftSession {
public:
    explicit ShiftSession(TableSource& tables);

    InputForm form;

    // Runs after every change of the type, the flight time, the cloud amount, base, the maximum
    // altitude, the hood heights, the visibility in km, and a click on day/night or a seat.
    void RefreshInputState();

    // "Считать": the calculation and CheckEntry. Does nothing while cmdOK is disabled. "Записать" is
    // enabled only by a calculation that ran to its end and found every entry made. Returns what the pilot
    // is to be told, in order.
    Notices cmdOK_Click();

    // Any change of an input box, option or list: the results shown no longer belong to the inputs, so
    // "Записать" waits for the next "Считать".
    void inputChanged() { form.cmdWriteEnabled = false; }

    // Whether the inputs are those of the last calculation that enabled "Записать" (the results boxes
    // may have been corrected by hand: they are the pilot's).
    bool resultsCurrent() const { return calculated_ && *calculated_ == inputsOf(form); }

    const WorkingValues& values() const { return v_; }
    const Minima& minima() const { return minima_; }

    // The day the date messages give as the example of the form (the desktop's today).
    QDate today = QDate::currentDate();

    QString FlightDate;
    QString PeriodMonth;
    QString DayNightLetter;
    QString SeatLetter;
    QString ExerciseQuery;
    QString PodTable;
    QString OblTable;
    Int16 ColumnKey;
    Int16 UmpBase;
    float UmpVis = 0;

private:
    // Returns false when the calculation stopped with a message of its own.
    bool Calculate(Notices& notices);
    void SelectTypeTables();
    void SetMinimaL39();
    void SetMinimaOther();
    bool WeatherBelowMinima() const;
    bool HoodUsed() const;
    void CloudTimes();
    void HoodTime();
    void SecondsToMinutes();
    void AdjustRounding();
    void AdjustSeveralFlights();
    void KeepWithinFlight();
    void ShowResults();
    void ShowLandingsAtMinimum();
    void CheckEntry(Notices& notices);

    // Reads one box: a failure of the reading names the box (its caption on the form).
    template <class Read>
    auto fromBox(const QString& caption, Read&& read);
    // Refuses minutes of the flight time outside 0..59 with a message; false when refused.
    bool CheckMinutes(Notices& notices);
    // Refuses a date of the flights that is no day of the calendar ("31.11.26"); false when refused.
    bool CheckDate(Notices& notices);

    TableSource& tables_;
    std::optional<InputForm> calculated_;
    QString failedBox_; // the caption of the box the failing step read
    WorkingValues v_;
    Minima minima_;
    bool umpApplies_ = false;
    // The hood time of this calculation left the time in clouds out (the hood opened below the clouds).
    bool hoodBesideClouds_ = false;
};

} // namespace korv::flight
