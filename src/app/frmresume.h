#pragma once

// frmResume, the totals form: the period choice and "Считать".

#include "app/formcontrols.h"
#include "totals/totals_run.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmResume;
}

namespace korv::app {

class Program;
class frmCarried;

// The totals form. One TotalsRun lives as long as the form, so that its period state lasts from one
// run to the next, as the option chosen and the two dates typed do.
class frmResume : public QWidget {
    Q_OBJECT
public:
    explicit frmResume(Program& program);
    ~frmResume() override;

    Ui::frmResume& ui() { return *ui_; }
    // The form's progress bar, a TarvixProgress placed by ProgID; null when it could not be placed.
    host::Control* TarvixProgress1() const { return progress_; }
    totals::TotalsRun& run() { return run_; }
    // The option chosen on the form.
    totals::PeriodOption chosenOption() const;
    bool isRunning() const { return busy_; }
    // How the last run ended, and what became of its summary.
    const totals::TotalsOutcome& lastOutcome() const { return outcome_; }
    bool printAnswered() const { return printAnswered_; }
    const totals::PrintedSummary& lastPrint() const { return printed_; }

    // Shown from the main menu: waiting for the pilot's choice.
    void showWaiting();

    void optCurMonthSum_Click();
    void optLastMonth_Click();
    void optCurYear_Click();
    void optLastYear_Click();
    void optPeriod_Click();
    void optSinceStart_Click();
    void cmdItog_Click();
    void cmdHelp_Click();
    // The window of the flying before the logbook, which the run "с начала лётной работы" adds.
    void cmdCarried_Click();
    // That window, made on first use; null before.
    frmCarried* loadedCarriedForm() const { return carried_.get(); }
    void Form_QueryUnload();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void HidePeriodBoxes();
    void setPeriodBoxesVisible(bool visible);
    // The pilot's controls, out of reach while a run goes on.
    void setControlsEnabled(bool enabled);

    Program& program_;
    std::unique_ptr<Ui::frmResume> ui_;
    FormSite site_;
    host::Control* progress_ = nullptr;
    totals::TotalsRun run_;
    totals::TotalsOutcome outcome_;
    bool printAnswered_ = false; // the pilot answered Yes to "Отпечатать итог ?"
    totals::PrintedSummary printed_;
    bool busy_ = false;
    std::unique_ptr<frmCarried> carried_;
};

namespace resume_text {
inline const QString kWaiting = QStringLiteral("Жду Ваших указаний, сэр!");
} // namespace resume_text

} // namespace korv::app
