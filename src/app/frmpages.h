#pragma once

// The dialog "Печать подённого налёта": the logbook's own pages of a period, printed or kept as a PDF.

#include "totals/period.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korv::app {

class Program;

// The period choices of the totals form and the whole logbook; "Печать" sends the pages to the printer,
// "Сохранить PDF…" keeps them where the pilot says. The pages are made from a copy of the logbook.
class frmPages : public QDialog {
    Q_OBJECT
public:
    explicit frmPages(Program& program);

    // The chosen period, nothing for the whole logbook; a message instead when the free period's dates are
    // refused.
    std::optional<totals::PeriodState> chosenPeriod(QString& refusal) const;
    // Prints the pages of the chosen period; true when they went to the printer.
    bool printPages();
    // Writes them as a PDF where askFile says; true when written.
    bool savePdf();

    // Where "Сохранить PDF…" asks for the file; an empty answer saves nothing. Replaceable for checks.
    std::function<QString()> askFile;

private:
    // Makes the pages at `pdfPath`; false (the pilot told why) when there were none to make.
    bool makePages(const QString& pdfPath);

    Program& program_;
    QRadioButton* curMonth_;
    QRadioButton* lastMonth_;
    QRadioButton* curYear_;
    QRadioButton* lastYear_;
    QRadioButton* period_;
    QRadioButton* all_;
    QLineEdit* txtC_;
    QLineEdit* txtPo_;
    QLabel* status_;
    QPushButton* print_;
    QPushButton* pdf_;
};

inline const QString kPagesTitle = QStringLiteral("Печать подённого налёта");

} // namespace korv::app
