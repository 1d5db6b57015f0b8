#include "app/frmglavnaja.h"

#include "app/controlprogress.h"
#include "app/frmabout.h"
#include "app/frmbackups.h"
#include "app/frmbreaks.h"
#include "app/frmcheck.h"
#include "app/frmcourse.h"
#include "app/frmimport.h"
#include "app/frmpages.h"
#include "app/frmrecords.h"
#include "app/frmresume.h"
#include "app/frmsmu.h"
#include "app/icon.h"
#include "app/program.h"
#include "app/screen_room.h"
#include "app/twips.h"
#include "app/undo_change.h"
#include "common/error.h"
#include "common/log.h"
#include "logbook/book_reading.h"
#include "logbook/newbook.h"
#include "totals/break_limits.h"
#include "ui_frmglavnaja.h"
#include "ui_frmsmu.h"

#include <QCloseEvent>
#include <QFileInfo>

namespace korv::app {

frmGlavnaja::frmGlavnaja(Program& program) : program_(program), ui_(std::make_unique<Ui::frmGlavnaja>()), site_(this) {
    ui_->setupUi(this);
    QFont title = ui_->lblNazvanije->font();
    title.setPointSizeF(26.25);
    ui_->lblNazvanije->setFont(title);

    // The cover of the paper logbook: dark blue cloth with gilt lettering.
    ui_->fraOblozhka->setStyleSheet(QStringLiteral("#fraOblozhka { background-color: #1f2f52; border: 3px double "
                                                   "#c9a94a; border-radius: 6px; }"
                                                   "#fraOblozhka QLabel { color: #e3c766; background: transparent; }"));

    // The bar as the cover was designed: the flat look, white with a dark blue bar.
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
    }
    ui_->progressSlot->hide();
    ui_->lblBreaks->hide();
    // An empty word-wrapped label asks for no height at all: squeezed by the cover's layout, the status
    // line would show a sliver of its text once it gets one.
    ui_->lblGlav->setMinimumHeight(QFontMetrics(ui_->lblGlav->font()).lineSpacing() + 2);

    connect(ui_->mnuFlightShift, &QAction::triggered, this, &frmGlavnaja::mnuFlightShift_Click);
    connect(ui_->mnuLastSummary, &QAction::triggered, this, &frmGlavnaja::mnuLastSummary_Click);
    connect(ui_->mnuFillBookItem, &QAction::triggered, this, &frmGlavnaja::mnuFillBookItem_Click);
    connect(ui_->mnuSummaryBookItem, &QAction::triggered, this, &frmGlavnaja::mnuSummaryBookItem_Click);
    connect(ui_->mnuCheckBookItem, &QAction::triggered, this, &frmGlavnaja::mnuCheckBookItem_Click);
    connect(ui_->mnuBreaksItem, &QAction::triggered, this, &frmGlavnaja::mnuBreaksItem_Click);
    connect(ui_->mnuCourseItem, &QAction::triggered, this, &frmGlavnaja::mnuCourseItem_Click);
    connect(ui_->mnuBackupsItem, &QAction::triggered, this, &frmGlavnaja::mnuBackupsItem_Click);
    connect(ui_->mnuRecordsItem, &QAction::triggered, this, &frmGlavnaja::mnuRecordsItem_Click);
    connect(ui_->mnuImportItem, &QAction::triggered, this, &frmGlavnaja::mnuImportItem_Click);
    connect(ui_->mnuUndoItem, &QAction::triggered, this, &frmGlavnaja::mnuUndoItem_Click);
    connect(ui_->mnuPagesItem, &QAction::triggered, this, &frmGlavnaja::mnuPagesItem_Click);
    connect(ui_->mnuQuitItem, &QAction::triggered, this, &frmGlavnaja::mnuQuitItem_Click);
    connect(ui_->mnuAboutItem, &QAction::triggered, this, &frmGlavnaja::mnuAboutItem_Click);
    connect(ui_->mnuHelpItem, &QAction::triggered, this, &frmGlavnaja::mnuHelpItem_Click);

    setWindowIcon(programIcon());
    // The client area of the cover: 7065 x 3750 twips, the menu bar above it.
    const QSize client = twipsToPixels(7065, 3750, this);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
}

frmGlavnaja::~frmGlavnaja() = default;

// Loading the main form takes no time of its own: the splash keeps its fixed pause (see Startup).
void frmGlavnaja::Form_Load() {}

void frmGlavnaja::mnuFlightShift_Click() { program_.viewLogbook(logbook::kSheet1, this); }

void frmGlavnaja::mnuLastSummary_Click() { program_.viewLogbook(logbook::kSheet4, this); }

bool frmGlavnaja::createLogbookIfMissing() {
    if (!logbook::LocateBookFile(program_.bookDir()).isEmpty())
        return true;
    ui_->progressSlot->show();
    ControlProgress report(progress_, ui_->lblGlav);
    report.setRange(0, 100);
    // The menu stays out of reach while the logbook is made, and the window cannot be closed under it.
    menuBar()->setEnabled(false);
    busy_ = true;
    bool created = false;
    try {
        // Made in an office of its own that has no windows: the sheets' views, realised for their frozen
        // panes, would otherwise come up over the cover wherever the window manager puts them.
        logbook::SpreadsheetHost::Options options;
        options.profileDir = program_.host().profileDir() + QStringLiteral("-headless");
        options.display = logbook::SpreadsheetHost::DisplayMode::Headless;
        logbook::SpreadsheetHost maker(options);
        logbook::ChangeSettings settings = program_.changeSettings(ui_->lblGlav);
        const logbook::NewBook made = program_.askingAboutLocks(settings, [&](const logbook::ChangeSettings& s) {
            return logbook::createNewLogbook(maker, program_.bookDir(), report, s);
        });
        if (made.created) {
            program_.dialogs().tell({made.stored});
            report.status(QString());
        }
        created = true;
    } catch (const Error& e) {
        log::error(QStringLiteral("Заполнение: новая лётная книжка"), e);
        ui_->lblGlav->clear();
        program_.dialogs().message(kNewBookFailedTitle, QStringLiteral("Лётная книжка не создана.\n") + e.description(),
                                   Dialogs::Icon::Critical);
    }
    busy_ = false;
    menuBar()->setEnabled(true);
    return created;
}

void frmGlavnaja::mnuFillBookItem_Click() {
    const bool ready = createLogbookIfMissing();
    ui_->progressSlot->hide();
    ui_->lblBreaks->hide();
    if (!ready)
        return;
    hide();
    frmSMU& smu = program_.shiftForm();
    // No date of the flights: the pilot has changed his mind, and the program ends.
    if (smu.ui().txtDate->text().isEmpty()) {
        smu.hide();
        program_.endProgram();
        return;
    }
    showOver(&smu, this);
}

void frmGlavnaja::mnuSummaryBookItem_Click() {
    program_.resumeForm().showWaiting();
    hide();
}

void frmGlavnaja::mnuQuitItem_Click() { program_.endProgram(); }

void frmGlavnaja::mnuCheckBookItem_Click() { program_.checkForm().showAndCheck(); }

void frmGlavnaja::mnuBreaksItem_Click() { program_.breaksForm().showAndRead(); }

void frmGlavnaja::mnuCourseItem_Click() { program_.courseForm().showAndRead(); }

void frmGlavnaja::mnuBackupsItem_Click() { program_.backupsForm().showAndList(); }

void frmGlavnaja::mnuRecordsItem_Click() { program_.recordsForm().showAndRead(); }

void frmGlavnaja::mnuImportItem_Click() { program_.importForm().showOverMain(); }

void frmGlavnaja::mnuUndoItem_Click() {
    if (askAndUndoLastChange(program_, ui_->lblGlav) && program_.loadedRecordsForm() != nullptr &&
        program_.loadedRecordsForm()->isVisible())
        program_.loadedRecordsForm()->readLogbook();
}

void frmGlavnaja::mnuPagesItem_Click() {
    frmPages& pages = program_.pagesForm();
    showOver(&pages, this);
}

void frmGlavnaja::warnOfBreaks() {
    const QString limitsFile = totals::limitsPath(program_.bookDir());
    if (!QFileInfo::exists(limitsFile))
        return;
    QString warning;
    try {
        const totals::BreakLimits limits = totals::readBreakLimits(limitsFile);
        // The dates due need no logbook: they are told even when there is none yet.
        const QList<totals::DueLine> dates = totals::judgeDates(limits.dates, program_.today());
        QList<totals::BreakLine> breaks;
        if (limits.hasBreakLimits() && QFileInfo::exists(program_.bookPath())) {
            // The office may have to start first: the pilot sees why the cover waits.
            ui_->lblBreaks->setText(QStringLiteral("Проверяются перерывы в полётах…"));
            ui_->lblBreaks->show();
            ui_->lblBreaks->repaint();
            try {
                const QList<totals::Entry> entries = logbook::readEntriesCopy(program_.host(), program_.bookPath());
                breaks = totals::judgeBreaks(totals::lastFlights(entries), limits, program_.today());
            } catch (const Error& e) {
                log::error(QStringLiteral("the breaks in flying at start"), e);
                // What the dates say is still said.
                const QString datesText = totals::warningLine({}, dates);
                warning = QStringLiteral("Перерывы в полётах не проверены: ") + e.description() +
                          (datesText.isEmpty() ? QString() : u' ' + datesText);
                ui_->lblBreaks->setText(warning);
                return;
            }
        }
        warning = totals::warningLine(breaks, dates);
    } catch (const Error& e) {
        log::error(QStringLiteral("the breaks in flying at start"), e);
        warning = QStringLiteral("Перерывы в полётах не проверены: ") + e.description();
    }
    ui_->lblBreaks->setText(warning);
    ui_->lblBreaks->setVisible(!warning.isEmpty());
}

void frmGlavnaja::mnuAboutItem_Click() {
    frmAbout& about = program_.aboutForm();
    showOver(&about, this);
}

void frmGlavnaja::mnuHelpItem_Click() { program_.showHelp(); }

void frmGlavnaja::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    if (!program_.hasEnded())
        mnuQuitItem_Click();
}

} // namespace korv::app
