#pragma once

// The window "Записи лётной книжки": the records found by period, aircraft type and a text in the exercise,
// with the count and the sums of what is shown; a record shown in Calc, corrected through the input form, or
// removed; the last change undone.

#include "logbook/logbook.h"
#include "totals/record_list.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace korv::app {

class Program;
class RecordsModel;
class frmSMU;

// Reads the logbook (from a copy, as the check reads) when shown and on "Обновить"; the filter then works on
// what was read. A correction or removal names the record by its cells as read: when the logbook was changed
// there since, it is refused with nothing changed.
class frmRecords : public QWidget {
    Q_OBJECT
public:
    explicit frmRecords(Program& program);
    ~frmRecords() override;

    // Shows the window and reads the logbook once it is painted.
    void showAndRead();
    // Reads the logbook now and lists what the filter takes.
    void readLogbook();
    // Takes `entries` as the logbook's (read by readLogbook) and lists what the filter takes of them.
    void showEntries(const QList<logbook::Entry>& entries);
    // Lists what the filter takes of the records read.
    void applyFilter();

    // The records listed, in the logbook's order.
    const totals::RecordList& listed() const { return list_; }
    // Table row `index`: shown in Calc at its record; opened for its correction; removed behind a question.
    void showInCalc(int index);
    void correct(int index);
    bool remove(int index);
    // Undoes the last change behind a question; lists the logbook again when done.
    bool undo();

    frmSMU* correctionForm() const { return correction_.get(); }

private:
    int currentIndex() const;
    logbook::ShownRecord shownOf(int index) const;
    void setStatus(const QString& text);
    void updateButtons();

    Program& program_;
    QLabel* status_;
    QComboBox* period_;
    QLineEdit* from_;
    QLineEdit* to_;
    QComboBox* type_;
    QLineEdit* exercise_;
    QTableView* table_;
    RecordsModel* model_;
    QLabel* sums_;
    QPushButton* show_;
    QPushButton* correct_;
    QPushButton* remove_;
    QList<logbook::Entry> entries_; // as read
    bool read_ = false;
    totals::RecordList list_;
    std::unique_ptr<frmSMU> correction_;
};

inline const QString kRecordsTitle = QStringLiteral("Записи лётной книжки");

} // namespace korv::app
