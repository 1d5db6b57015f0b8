#pragma once

// The window "Налёт до начала ведения книжки": the pilot's flying before the logbook, type by type, as the
// file beside the logbook (totals/carried_flying.h) holds it and the totals "с начала лётной работы" add.

#include "totals/carried_flying.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace korv::app {

class Program;

// Reads the file when shown; "Сохранить" writes it anew (the earlier one kept beside it as ".bak"), after
// every value was checked as the totals will read it.
class frmCarried : public QWidget {
    Q_OBJECT
public:
    explicit frmCarried(Program& program);

    // Shows the window over `over` and reads the file.
    void showAndRead(const QWidget* over);
    void readFile();
    // Adds a type named by the pilot (asked through the dialogs) and shows it.
    void cmdAddType_Click();
    void cmdRemoveType_Click();
    // Checks every value and writes the file; false when a value was refused (said in the status line).
    bool cmdSave_Click();

    const QList<totals::CarriedType>& types() const { return types_; }
    QString filePath() const;

private:
    void showType(int index);
    // The values of the table into the type shown; the first refusal when a value is not one.
    std::optional<QString> takeTable();
    void setStatus(const QString& text, bool refused);

    Program& program_;
    QLabel* intro_;
    QComboBox* type_;
    QTableWidget* table_;
    QLabel* status_;
    QPushButton* remove_;
    QPushButton* save_;
    QList<totals::CarriedType> types_;
    int shown_ = -1;
};

inline const QString kCarriedWindowTitle = QStringLiteral("Налёт до начала ведения книжки");

} // namespace korv::app
