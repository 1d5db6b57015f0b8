#include "app/program.h"

#include "app/frmabout.h"
#include "app/frmbackups.h"
#include "app/frmbreaks.h"
#include "app/frmcheck.h"
#include "app/frmcourse.h"
#include "app/frmexcel.h"
#include "app/frmglavnaja.h"
#include "app/frmimport.h"
#include "app/frmpages.h"
#include "app/frmrecords.h"
#include "app/frmresume.h"
#include "app/frmsmu.h"
#include "app/helpwindow.h"
#include "app/qtdialogs.h"
#include "bookfiles/book_folder.h"
#include "common/error.h"
#include "common/log.h"
#include "common/program_files.h"
#include "logbook/book_change.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QProcess>

namespace korv::app {

namespace {

QString orDefault(const QString& value, const QString& fallback) { return value.isEmpty() ? fallback : value; }

} // namespace

Program::Program(ProgramOptions options)
    : bookDir_(orDefault(options.bookDir, logbook::files::defaultBookFolder())),
      libraryDir_(orDefault(options.libraryDir, programFiles().controlDir)),
      startNotice_(std::move(options.startNotice)),
      helpPath_(orDefault(options.helpPath, programFiles().helpDocument())),
      ownDialogs_(options.dialogs == nullptr ? std::make_unique<QtDialogs>() : nullptr),
      dialogs_(options.dialogs != nullptr ? options.dialogs : ownDialogs_.get()), today_(std::move(options.today)),
      startProgram_(std::move(options.startProgram)),
      host_(std::make_unique<logbook::SpreadsheetHost>(std::move(options.office))),
      database_(orDefault(options.databasePath, programFiles().referenceDatabase())), logbook_(*host_, bookDir_) {}

Program::~Program() = default;

QDate Program::today() const { return today_ ? today_() : QDate::currentDate(); }

bool Program::startProgram(const QString& path) {
    if (startProgram_)
        return startProgram_(path);
    return QProcess::startDetached(path, {});
}

frmGlavnaja& Program::mainForm() {
    if (!glavnaja_) {
        glavnaja_ = std::make_unique<frmGlavnaja>(*this);
        glavnaja_->Form_Load();
    }
    return *glavnaja_;
}

frmSMU& Program::shiftForm() {
    if (!smu_) {
        smu_ = std::make_unique<frmSMU>(*this);
        smu_->Form_Load();
    }
    return *smu_;
}

frmResume& Program::resumeForm() {
    if (!resume_)
        resume_ = std::make_unique<frmResume>(*this);
    return *resume_;
}

frmCheck& Program::checkForm() {
    if (!check_)
        check_ = std::make_unique<frmCheck>(*this);
    return *check_;
}

frmRecords& Program::recordsForm() {
    if (!records_)
        records_ = std::make_unique<frmRecords>(*this);
    return *records_;
}

frmBackups& Program::backupsForm() {
    if (!backups_)
        backups_ = std::make_unique<frmBackups>(*this);
    return *backups_;
}

frmImport& Program::importForm() {
    if (!import_)
        import_ = std::make_unique<frmImport>(*this);
    return *import_;
}

frmPages& Program::pagesForm() {
    if (!pages_)
        pages_ = std::make_unique<frmPages>(*this);
    return *pages_;
}

frmBreaks& Program::breaksForm() {
    if (!breaks_)
        breaks_ = std::make_unique<frmBreaks>(*this);
    return *breaks_;
}

frmCourse& Program::courseForm() {
    if (!course_)
        course_ = std::make_unique<frmCourse>(*this);
    return *course_;
}

frmExcel& Program::viewForm() {
    if (!excel_)
        excel_ = std::make_unique<frmExcel>(*this);
    return *excel_;
}

frmAbout& Program::aboutForm() {
    if (!about_)
        about_ = std::make_unique<frmAbout>(*this, &mainForm());
    return *about_;
}

HelpWindow& Program::helpWindow() {
    if (!help_)
        help_ = std::make_unique<HelpWindow>(helpPath_);
    return *help_;
}

void Program::showHelp() { helpWindow().showTopic(HelpWindow::kHelpContext); }

bool Program::viewLogbook(const QString& sheet, QWidget* from, const QString& cell) {
    const int viewing = ++viewingCount_;
    try {
        logbook_.OpenBookForView();
        logbook_.activateSheet(sheet);
        if (!cell.isEmpty())
            logbook_.workbook().sheet(sheet).select(cell);
        logbook_.workbook().whenClosed([this, viewing] {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [this, viewing] {
                    if (viewing == viewingCount_)
                        viewingClosedInCalc();
                },
                Qt::QueuedConnection);
        });
    } catch (const Error& e) {
        dialogs().message(kViewTitle, e.description(), Dialogs::Icon::Warning);
        return false;
    }
    viewing_ = true;
    if (from != nullptr)
        from->hide();
    viewForm().showOnTop();
    return true;
}

void Program::viewingClosedInCalc() {
    // Closed by the program itself (endViewing) it is no news.
    if (!viewing_ || ended_)
        return;
    viewing_ = false;
    if (excel_)
        excel_->hide();
    logbook_.detach();
    try {
        const auto operation = host_->beginOperation(logbook::ChangeSettings().timeoutMs, 10000);
        host_->closeStartCenter();
    } catch (const Error& e) {
        log::error(QStringLiteral("Просмотр: Start Center"), e);
    }
    mainForm().show();
}

void Program::endViewing() {
    viewing_ = false;
    // Out of the way of Calc's own question about unsaved changes, which the close may ask.
    if (excel_)
        excel_->hide();
    try {
        logbook_.CloseBook();
    } catch (const Error& e) {
        dialogs().message(kViewTitle, e.description(), Dialogs::Icon::Information);
    }
    if (logbookStillShown()) {
        // The pilot answered Calc's question with "Cancel": he is not done, the viewing goes on.
        viewing_ = true;
        viewForm().showOnTop();
        return;
    }
    mainForm().show();
}

bool Program::logbookStillShown() {
    try {
        const auto book = host_->findWorkbook(logbook::kBookName);
        return book.has_value() && book->isVisible();
    } catch (const Error&) {
        return false;
    }
}

void Program::endProgram() {
    ended_ = true;
    // The other forms first, the one that asked last, as the forms were unloaded one by one.
    for (QWidget* w : std::initializer_list<QWidget*>{help_.get(), about_.get(), import_.get(), backups_.get(),
                                                      breaks_.get(), course_.get(), check_.get(), pages_.get(),
                                                      records_ ? records_->correctionForm() : nullptr, records_.get(),
                                                      excel_.get(), glavnaja_.get(), smu_.get(), resume_.get()})
        if (w != nullptr)
            w->hide();
    QCoreApplication::exit(0);
}

void Program::bringToFront() {
    QWidget* front = nullptr;
    for (QWidget* w : std::initializer_list<QWidget*>{
             glavnaja_.get(), smu_.get(), records_ ? records_->correctionForm() : nullptr, records_.get(),
             resume_.get(), check_.get(), breaks_.get(), course_.get(), backups_.get(), pages_.get(), import_.get(),
             about_.get(), help_.get(), excel_.get()}) {
        if (w == nullptr || !w->isVisible())
            continue;
        if (w->isMinimized())
            w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        w->raise();
        front = front != nullptr ? front : w;
    }
    // The form the pilot works in (the first shown of the list) takes the keyboard; a dialog open over
    // it stays on top by itself.
    if (front != nullptr)
        front->activateWindow();
}

logbook::ChangeSettings Program::changeSettings(QLabel* status) {
    logbook::ChangeSettings settings;
    settings.waiting = [status](const QString& text) {
        if (!status)
            return;
        status->setText(text);
        status->show();
        status->repaint();
    };
    return settings;
}

bool Program::closedElsewhere(const logbook::UnsureLock& lock, logbook::ChangeSettings& settings) {
    if (!dialogs().question(QStringLiteral("Лётная книжка"), lock.question()))
        return false;
    settings.closedElsewhere << lock.lockPath();
    return true;
}

} // namespace korv::app
