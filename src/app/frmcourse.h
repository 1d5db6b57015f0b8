#pragma once

// The window "Выполнение упражнений курса": for an aircraft type and a period, every exercise of the course
// with how often it was flown by day and by night, when last, and in which lists of the totals; the
// exercises flown outside the course apart; the page printed or kept as a PDF.

#include "totals/course_progress.h"
#include "totals/entries.h"
#include "totals/period.h"

#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace korv::app {

class Program;

// Reads the logbook (from a copy) and the course when shown and on "Обновить"; the type and the period
// count again from what was read.
class frmCourse : public QWidget {
    Q_OBJECT
public:
    explicit frmCourse(Program& program);

    // Shows the window and reads once it is painted.
    void showAndRead();
    // Reads the logbook and the course now, then counts.
    void readBook();
    // Counts the chosen type and period from what was read.
    void countProgress();
    // Prints the page; true when it went to the printer.
    bool printPage();
    // Writes the page as a PDF where askFile says; true when written.
    bool savePdf();

    // The chosen period, nothing for the whole logbook; the refusal instead when the free period's dates are
    // refused.
    std::optional<totals::PeriodState> chosenPeriod(QString& refusal) const;
    const std::optional<totals::CourseProgress>& progress() const { return progress_; }

    // Where "Сохранить PDF…" asks for the file; an empty answer saves nothing. Replaceable for checks.
    std::function<QString()> askFile;

private:
    void fillTable(QTableWidget* table, const QList<totals::CourseLine>& lines);
    bool makePage(const QString& pdfPath);
    void enableOutputs();

    Program& program_;
    QComboBox* type_;
    QComboBox* period_;
    QLineEdit* txtC_;
    QLineEdit* txtPo_;
    QLabel* status_;
    QTableWidget* table_;
    QLabel* outsideCaption_;
    QTableWidget* outside_;
    QPushButton* refresh_;
    QPushButton* print_;
    QPushButton* pdf_;
    QList<totals::Entry> entries_;
    QList<totals::CourseExercise> course_;
    std::optional<totals::CourseProgress> progress_;
    QString periodText_;
    bool read_ = false;
};

inline const QString kCourseTitle = QStringLiteral("Выполнение упражнений курса");

} // namespace korv::app
