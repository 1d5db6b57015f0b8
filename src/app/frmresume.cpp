#include "app/frmresume.h"

#include "app/controlprogress.h"
#include "app/frmcarried.h"
#include "app/frmglavnaja.h"
#include "app/icon.h"
#include "app/program.h"
#include "app/screen_room.h"
#include "app/twips.h"
#include "logbook/book_names.h"
#include "ui_frmresume.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace korv::app {

using totals::PeriodOption;
using totals::TotalsEnd;

namespace {

void keepPlaceWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

// The longest step the status label names; longer texts (another program holding the logbook) wrap.
const QString kLongestStatus = QStringLiteral("Копирование дневного инструкторского налёта.....");

} // namespace

frmResume::frmResume(Program& program)
    : QWidget(nullptr), program_(program), ui_(std::make_unique<Ui::frmResume>()), site_(this),
      run_(program.host(), program.bookPath()) {
    ui_->setupUi(this);
    setWindowIcon(programIcon());
    run_.settings = program_.changeSettings(ui_->lblCurOperation);

    // Red while the form can be used; greyed with the rest while a run goes on.
    QPalette red = ui_->lblEtention->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
        red.setColor(g, QPalette::WindowText, QColor(255, 0, 0));
    ui_->lblEtention->setPalette(red);
    QFont bold = ui_->lblEtention->font();
    bold.setBold(true);
    ui_->lblEtention->setFont(bold);

    // A date box as wide as a date with a four-digit year, with room for the frame.
    const QFontMetrics fm(ui_->txtC->font());
    for (QLineEdit* box : {ui_->txtC, ui_->txtPo})
        box->setFixedWidth(fm.horizontalAdvance(QStringLiteral("00.00.0000")) + fm.height());
    // The boxes come and go with "период с"; the form keeps their place, so nothing moves.
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui_->txtC, ui_->txtPo, ui_->lblEtention, ui_->lblObrazec, ui_->progressSlot})
        keepPlaceWhenHidden(w);

    // The bar as the form was designed: the flat look, white with a dark blue bar.
    host::MemoryPropertyBag designed;
    designed.set(QStringLiteral("Style"), 0);
    designed.set(QStringLiteral("BackColor"), QVariant::fromValue<uint>(0x00FFFFFFu));
    designed.set(QStringLiteral("ForeColor"), QVariant::fromValue<uint>(0x00C00000u));
    progress_ = placeControl(kProgressProgId, &site_, ui_->progressSlot, program_.libraryDir(), &designed);
    if (progress_ != nullptr) {
        QWidget* bar = progress_->widget();
        bar->setObjectName(QStringLiteral("TarvixProgress1"));
        bar->setMinimumHeight(twipsToPixels(375, this));
        ui_->progressLayout->addWidget(bar);
    } else {
        ui_->progressSlot->setMinimumHeight(twipsToPixels(375, this));
    }
    // The bar shows from the first "Считать" on.
    ui_->progressSlot->hide();

    const QFontMetrics status(ui_->lblCurOperation->font());
    ui_->lblCurOperation->setMinimumWidth(status.horizontalAdvance(kLongestStatus));
    ui_->lblCurOperation->setMinimumHeight(2 * status.lineSpacing());

    connect(ui_->optCurMonthSum, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optCurMonthSum_Click();
    });
    connect(ui_->optLastMonth, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optLastMonth_Click();
    });
    connect(ui_->optCurYear, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optCurYear_Click();
    });
    connect(ui_->optLastYear, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optLastYear_Click();
    });
    connect(ui_->optPeriod, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optPeriod_Click();
    });
    connect(ui_->optSinceStart, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optSinceStart_Click();
    });
    connect(ui_->cmdCarried, &QPushButton::clicked, this, &frmResume::cmdCarried_Click);
    connect(ui_->cmdItog, &QPushButton::clicked, this, &frmResume::cmdItog_Click);
    connect(ui_->cmdHelp, &QPushButton::clicked, this, &frmResume::cmdHelp_Click);

    // The month most often totalled is chosen from the start, so that "Считать" always has a period.
    setPeriodBoxesVisible(false);
    ui_->optCurMonthSum->setChecked(true);
    ui_->cmdItog->setDefault(true);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmResume::~frmResume() = default;

PeriodOption frmResume::chosenOption() const {
    if (ui_->optCurMonthSum->isChecked())
        return PeriodOption::CurrentMonth;
    if (ui_->optLastMonth->isChecked())
        return PeriodOption::LastMonth;
    if (ui_->optCurYear->isChecked())
        return PeriodOption::CurrentYear;
    if (ui_->optLastYear->isChecked())
        return PeriodOption::LastYear;
    if (ui_->optPeriod->isChecked())
        return PeriodOption::FreePeriod;
    if (ui_->optSinceStart->isChecked())
        return PeriodOption::SinceStart;
    return PeriodOption::None;
}

void frmResume::showWaiting() {
    showOver(this, &program_.mainForm());
    ui_->lblCurOperation->setText(resume_text::kWaiting);
    ui_->progressSlot->hide();
}

void frmResume::optCurMonthSum_Click() { HidePeriodBoxes(); }
void frmResume::optLastMonth_Click() { HidePeriodBoxes(); }
void frmResume::optCurYear_Click() { HidePeriodBoxes(); }
void frmResume::optLastYear_Click() { HidePeriodBoxes(); }
void frmResume::optSinceStart_Click() { HidePeriodBoxes(); }

void frmResume::optPeriod_Click() {
    if (ui_->optPeriod->isChecked())
        setPeriodBoxesVisible(true);
}

void frmResume::HidePeriodBoxes() {
    if (!ui_->optPeriod->isChecked())
        setPeriodBoxesVisible(false);
}

void frmResume::setPeriodBoxesVisible(bool visible) {
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->txtC, ui_->txtPo, ui_->lblEtention, ui_->lblObrazec})
        w->setVisible(visible);
}

void frmResume::setControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->fraResume, ui_->cmdItog, ui_->cmdHelp, ui_->cmdCarried})
        w->setEnabled(enabled);
}

void frmResume::cmdItog_Click() {
    if (busy_)
        return;
    busy_ = true;
    setControlsEnabled(false);
    ui_->progressSlot->show();
    ControlProgress report(progress_, ui_->lblCurOperation);
    report.value(0);
    printAnswered_ = false;
    printed_ = {};
    const auto runOnce = [&] {
        return run_.cmdItog_Click(chosenOption(), program_.today(), ui_->txtC->text(), ui_->txtPo->text(), report);
    };
    outcome_ = runOnce();
    // Another program's lock that cannot be judged from here: the pilot may know it is closed there.
    if (outcome_.unsureLock) {
        if (program_.closedElsewhere(*outcome_.unsureLock, run_.settings))
            outcome_ = runOnce();
        else
            outcome_.notices.clear(); // he said it is open there: nothing more to say
    }
    program_.dialogs().tell(outcome_.notices);
    if (outcome_.end == TotalsEnd::MixedTypes) {
        // The pilot chooses with nothing held; the run reads the logbook again for the type chosen.
        // The last choice is every type: a summary of each and one of them all, a page each.
        QStringList names;
        for (const totals::TypeCount& t : outcome_.types)
            names << t.type;
        names << totals::text::kAllTypes;
        if (const auto chosen = program_.dialogs().choice(totals::text::kTypeTitle,
                                                          totals::text::typeQuestion(outcome_.types), names)) {
            if (*chosen == names.size() - 1)
                run_.allTypes = true;
            else
                run_.aircraftType = names[*chosen];
            outcome_ = runOnce();
            run_.aircraftType.clear();
            run_.allTypes = false;
            program_.dialogs().tell(outcome_.notices);
        }
    }
    if (outcome_.end == TotalsEnd::Summary) {
        // Asked once the logbook is saved and let go: nothing waits on the pilot's answer.
        printAnswered_ = program_.dialogs().question(totals::text::kPrintTitle, totals::text::kPrintQuestion);
        if (printAnswered_) {
            program_.dialogs().message(totals::text::kPrinterTitle, totals::text::kPrinterOn,
                                       Dialogs::Icon::Information);
            printed_ = totals::printSummary(outcome_);
            program_.dialogs().tell(printed_.notices);
        }
    }
    const totals::TotalsOutcome outcome = outcome_;
    // Clicks and keys that waited for the run fall on the disabled controls and start nothing.
    QCoreApplication::processEvents();
    setControlsEnabled(true);
    busy_ = false;

    switch (outcome.end) {
    case TotalsEnd::BadPeriod:
    case TotalsEnd::Failed:
    case TotalsEnd::MixedTypes:
        // Said in the run's message, or no type chosen; the form stays for the pilot to correct and try
        // again.
        ui_->lblCurOperation->setText(resume_text::kWaiting);
        ui_->progressSlot->hide();
        if (outcome.end == TotalsEnd::BadPeriod)
            ui_->txtC->setFocus();
        return;
    case TotalsEnd::EmptyLogbook:
    case TotalsEnd::NoRecords:
        hide();
        program_.mainForm().show();
        return;
    case TotalsEnd::Summary:
        if (printAnswered_) {
            hide();
            program_.mainForm().show();
        } else {
            // The summary in Calc; frmExcel brings the main form back when the pilot is done.
            program_.viewLogbook(logbook::kSheet4, this);
        }
        return;
    }
}

void frmResume::cmdHelp_Click() { program_.showHelp(); }

void frmResume::cmdCarried_Click() {
    if (!carried_)
        carried_ = std::make_unique<frmCarried>(program_);
    carried_->showAndRead(this);
}

void frmResume::Form_QueryUnload() { program_.endProgram(); }

void frmResume::closeEvent(QCloseEvent* event) {
    // Not under a run: the logbook is being changed.
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    if (!program_.hasEnded())
        Form_QueryUnload();
}

} // namespace korv::app
