#pragma once

// The program: its services, its forms and how they hand over to each other.

#include "app/dialogs.h"
#include "flight/reference_db.h"
#include "logbook/book_change.h"
#include "logbook/book_view.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QDate>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

class QLabel;
class QWidget;

namespace korv::app {

class frmGlavnaja;
class frmSMU;
class frmExcel;
class frmResume;
class frmAbout;
class frmCheck;
class frmBreaks;
class frmCourse;
class frmBackups;
class frmRecords;
class frmPages;
class frmImport;
class HelpWindow;

struct ProgramOptions {
    QString bookDir;      // the logbook folder; empty: the default one (files::defaultBookFolder())
    QString databasePath; // empty: FlightTables1.mdb among the program's files (common/program_files.h)
    QString helpPath;     // empty: Help/Korvelanta.HLP among the program's files
    QString libraryDir;   // empty: the control libraries' folder among the program's files
    QString startNotice;  // told the pilot once the main form shows (where the logbook went), or empty
    logbook::SpreadsheetHost::Options office;
    Dialogs* dialogs = nullptr;                       // null: the program's Qt dialogs
    std::function<QDate()> today;                     // empty: the system clock
    std::function<bool(const QString&)> startProgram; // empty: started detached
};

// The running program: the services every form uses (dialogs, clock, the spreadsheet host, the
// reference database, help) and its forms, each loaded on first use and kept until the program ends,
// as forms are that hand over to each other by hiding and showing.
class Program {
public:
    explicit Program(ProgramOptions options = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Dialogs& dialogs() { return *dialogs_; }
    logbook::SpreadsheetHost& host() { return *host_; }
    flight::ReferenceDatabase& database() { return database_; }
    // The logbook folder: the logbook, its backups and the printed summaries.
    const QString& bookDir() const { return bookDir_; }
    QString bookPath() const { return logbook::bookPath(bookDir_); }
    // Where the program's control libraries are.
    const QString& libraryDir() const { return libraryDir_; }
    // What the pilot is told once at start (empty: nothing); taken, so that it is told once.
    QString takeStartNotice() { return std::exchange(startNotice_, QString()); }
    QDate today() const;
    bool startProgram(const QString& path);
    // How a change of the logbook made from a form waits for other programs (the label says so and
    // repaints).
    logbook::ChangeSettings changeSettings(QLabel* status);
    // A change refused for another program's lock that cannot be judged from here: asks the pilot whether the
    // logbook is closed there; when he says so, the lock file joins settings.closedElsewhere and the change
    // may be made again (true).
    bool closedElsewhere(const logbook::UnsureLock& lock, logbook::ChangeSettings& settings);
    // Runs the change `change(settings)`; refused for such a lock, asks (closedElsewhere) and, when the pilot
    // says the logbook is closed there, runs it once more.
    template <class Change>
    auto askingAboutLocks(logbook::ChangeSettings& settings, Change&& change) {
        try {
            return change(settings);
        } catch (const logbook::UnsureLock& lock) {
            if (!closedElsewhere(lock, settings))
                throw;
            return change(settings);
        }
    }

    // Loaded on first use: the main form; the input form, whose load asks for the date of the flights;
    // the totals form; the viewing form; the About form; the help window.
    frmGlavnaja& mainForm();
    frmSMU& shiftForm();
    frmResume& resumeForm();
    frmExcel& viewForm();
    frmAbout& aboutForm();
    frmCheck& checkForm();
    frmBreaks& breaksForm();
    frmCourse& courseForm();
    frmBackups& backupsForm();
    frmRecords& recordsForm();
    frmPages& pagesForm();
    frmImport& importForm();
    HelpWindow& helpWindow();
    frmSMU* loadedShiftForm() const { return smu_.get(); }
    frmResume* loadedResumeForm() const { return resume_.get(); }
    frmExcel* loadedViewForm() const { return excel_.get(); }
    frmAbout* loadedAboutForm() const { return about_.get(); }
    frmCheck* loadedCheckForm() const { return check_.get(); }
    frmBreaks* loadedBreaksForm() const { return breaks_.get(); }
    frmCourse* loadedCourseForm() const { return course_.get(); }
    frmBackups* loadedBackupsForm() const { return backups_.get(); }
    frmRecords* loadedRecordsForm() const { return records_.get(); }
    frmPages* loadedPagesForm() const { return pages_.get(); }
    frmImport* loadedImportForm() const { return import_.get(); }

    // Every help request: the help window at context 23.
    void showHelp();

    // Opens the logbook shown in Calc on `sheet`, hides `from` and shows frmExcel. When the logbook is
    // missing or Calc cannot show it, a message says why and `from` stays as it was. `cell` ("G13"), when
    // given, is selected.
    bool viewLogbook(const QString& sheet, QWidget* from, const QString& cell = {});
    // The end of a viewing: the logbook closed (Calc asks about unsaved changes), frmExcel gone, the
    // main form back. A logbook or Calc closed by hand is said in a message; the program goes on.
    void endViewing();
    // The pilot closed the logbook, or Calc, in Calc's own window while viewing: the viewing ends as
    // "Закрыть" ends it, and the Start Center Calc leaves behind goes too.
    void viewingClosedInCalc();

    // Hides every form and ends the event loop; the office is ended with the program unless it shows
    // the logbook.
    void endProgram();
    // A second start of the program: the windows shown come to the front, restored when minimised.
    void bringToFront();
    bool hasEnded() const { return ended_; }

private:
    bool logbookStillShown();

    QString bookDir_;
    QString libraryDir_;
    QString startNotice_;
    QString helpPath_;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dialogs_;
    std::function<QDate()> today_;
    std::function<bool(const QString&)> startProgram_;
    std::unique_ptr<logbook::SpreadsheetHost> host_;
    flight::ReferenceDatabase database_;
    logbook::BookView logbook_;
    bool ended_ = false;
    // A viewing is on: the logbook is shown in Calc and frmExcel waits. A generation count tells a
    // closing of an earlier viewing from one of this.
    bool viewing_ = false;
    int viewingCount_ = 0;

    std::unique_ptr<frmGlavnaja> glavnaja_;
    std::unique_ptr<frmSMU> smu_;
    std::unique_ptr<frmResume> resume_;
    std::unique_ptr<frmExcel> excel_;
    std::unique_ptr<frmAbout> about_;
    std::unique_ptr<frmCheck> check_;
    std::unique_ptr<frmBreaks> breaks_;
    std::unique_ptr<frmCourse> course_;
    std::unique_ptr<frmBackups> backups_;
    std::unique_ptr<frmRecords> records_;
    std::unique_ptr<frmPages> pages_;
    std::unique_ptr<frmImport> import_;
    std::unique_ptr<HelpWindow> help_;
};

inline const QString kViewTitle = QStringLiteral("Просмотр лётной книжки");

} // namespace korv::app
