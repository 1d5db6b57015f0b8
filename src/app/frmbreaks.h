#pragma once

// The window "Перерывы в полётах и налёт": the pilot's dates due and the breaks in flying of every kind,
// judged by his own limits file, above the chart of the flying hours month by month.

#include "totals/break_limits.h"
#include "totals/entries.h"
#include "totals/monthly_hours.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace korv::app {

class Program;

// The chart painted to the widget's size.
class HoursChartView : public QWidget {
public:
    explicit HoursChartView(QWidget* parent);
    void setHours(const totals::HoursOfMonths& hours);
    const totals::HoursOfMonths& hours() const { return hours_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    totals::HoursOfMonths hours_;
};

// Reads the logbook (from a copy, so that no write is held up) when shown and on "Обновить"; the choice of
// months redraws the chart from what was read.
class frmBreaks : public QWidget {
    Q_OBJECT
public:
    explicit frmBreaks(Program& program);

    // Shows the window and reads the logbook once it is painted.
    void showAndRead();
    // Reads the logbook and the limits now and fills the table and the chart.
    void readBook();
    // The chart of choice `index` of the months list (0: the last twelve months, then the years).
    void chooseMonths(int index);
    // Asks where to keep the chart (askFile) and writes it there, PNG or SVG by the name's ending.
    void saveChart();

    const QList<totals::BreakLine>& lines() const { return lines_; }
    const QList<totals::DueLine>& dates() const { return dates_; }
    const HoursChartView& chart() const { return *chart_; }
    // Where "Сохранить график…" asks for the file; empty answer: not saved. Replaceable for checks.
    std::function<QString()> askFile;

private:
    void fillTable();
    void fillDates();

    Program& program_;
    QLabel* status_;
    QTableWidget* table_;
    QTableWidget* datesTable_;
    QComboBox* months_;
    HoursChartView* chart_;
    QPushButton* refresh_;
    QPushButton* save_;
    QList<totals::Entry> entries_;
    QList<totals::BreakLine> lines_;
    QList<totals::DueLine> dates_;
    QString breaksNote_; // the status line of the breaks: the date, the limits, what is over
    bool read_ = false;
};

inline const QString kBreaksTitle = QStringLiteral("Перерывы в полётах и налёт");

} // namespace korv::app
