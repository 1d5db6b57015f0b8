#pragma once

// frmGlavnaja, the main form: the logbook cover and its menu.

#include "app/formcontrols.h"
#include "controls/progress/tarvix_ids.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class frmGlavnaja;
}

namespace korv::app {

class Program;

// The main form, styled as the cover of a paper flight logbook; its menu starts every workflow and
// hands over to the next form by hiding itself.
class frmGlavnaja : public QMainWindow {
    Q_OBJECT
public:
    explicit frmGlavnaja(Program& program);
    ~frmGlavnaja() override;

    Ui::frmGlavnaja& ui() { return *ui_; }
    // The cover's progress bar, a TarvixProgress placed by ProgID; null when it could not be placed.
    host::Control* TarvixProgress1() const { return progress_; }

    void Form_Load();

    void mnuFlightShift_Click();
    void mnuLastSummary_Click();
    void mnuFillBookItem_Click();
    void mnuSummaryBookItem_Click();
    void mnuQuitItem_Click();
    // The window "Проверка лётной книжки", which checks the logbook as it opens.
    void mnuCheckBookItem_Click();
    // The dialog "Печать подённого налёта".
    void mnuPagesItem_Click();
    // The window "Резервные копии лётной книжки".
    void mnuBackupsItem_Click();
    void mnuRecordsItem_Click();
    void mnuImportItem_Click();
    void mnuUndoItem_Click();
    // The window "Перерывы в полётах и налёт".
    void mnuBreaksItem_Click();
    // The window "Выполнение упражнений курса".
    void mnuCourseItem_Click();
    // Once after start: when the pilot keeps limits of breaks in flying or dates due, the cover's warning
    // line tells of a limit exceeded or due within a week and of a date overdue or near; nothing is read
    // without a limits file, and the logbook only for limits of breaks.
    void warnOfBreaks();
    void mnuAboutItem_Click();
    void mnuHelpItem_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Creates the logbook when the logbook folder holds none; false when the creation failed.
    bool createLogbookIfMissing();

    Program& program_;
    std::unique_ptr<Ui::frmGlavnaja> ui_;
    FormSite site_;
    host::Control* progress_ = nullptr;
    bool busy_ = false;
};

inline const QString kProgressProgId = QString::fromLatin1(tarvix::kProgId);
inline const QString kNewBookFailedTitle = QStringLiteral("Новая лётная книжка");

} // namespace korv::app
