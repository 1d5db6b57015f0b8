#pragma once

// The window "Проверка лётной книжки": the findings of the check of the whole logbook, row by row.

#include "logbook/book_check.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace korv::app {

class Program;

// Checks the logbook when shown and lists what it found, sorted by row, with the counts of errors and
// warnings; a double-click on a finding shows the logbook in Calc with its cell selected. The logbook is
// only read (from a copy), so the check holds up no write.
class frmCheck : public QWidget {
    Q_OBJECT
public:
    explicit frmCheck(Program& program);

    // Shows the window and checks the logbook once it is painted.
    void showAndCheck();
    // Checks the logbook now and fills the table.
    void runCheck();
    // Shows the logbook in Calc at the finding of table row `index`.
    void showFinding(int index);

    const QList<logbook::Finding>& findings() const { return findings_; }
    // The backup offered for a record sheet sorted in Calc (the newest made before the logbook was last
    // saved), empty when none is.
    QString offeredBackup() const { return offered_; }
    // Opens the backups window with the offered backup chosen.
    void offerBackup();

private:
    Program& program_;
    QLabel* status_;
    QProgressBar* progress_;
    QTableWidget* table_;
    QLabel* counts_;
    QPushButton* again_;
    QPushButton* restoreBefore_;
    QList<logbook::Finding> findings_;
    QString offered_;
    QString offeredWhy_;
};

inline const QString kCheckTitle = QStringLiteral("Проверка лётной книжки");

} // namespace korv::app
