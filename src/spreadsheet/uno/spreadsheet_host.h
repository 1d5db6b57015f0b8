#pragma once

// The program's own LibreOffice Calc, driven over UNO: the office the program and the CLI open the
// logbook in. No UNO type appears here; the sessions keep their UNO references behind a pimpl, in the
// files of this folder, the only ones that include UNO headers.

#include "bookfiles/locks.h"
#include "spreadsheet/office.h"

#include <QString>

#include <atomic>
#include <memory>
#include <optional>

namespace korv::logbook {

namespace detail {
struct Session;
} // namespace detail

class SpreadsheetHost final : public Office {
public:
    enum class DisplayMode { Auto, Headless, Invisible };
    struct Options {
        // The private LibreOffice profile; created and seeded on first use. Empty: defaultProfileDir().
        QString profileDir;
        // The pipe the office accepts UNO connections on. Empty: derived from the profile directory.
        QString pipeName;
        // Auto: --invisible when DISPLAY is set, --headless otherwise.
        DisplayMode display = DisplayMode::Auto;
        // The office's window toolkit when it runs with a display. "gen" (plain X11) realises windows
        // several times faster than GTK and has proved steadier for windows of hidden workbooks.
        // Empty: LibreOffice's own choice. A SAL_USE_VCLPLUGIN set in the environment wins.
        QString vclPlugin = QStringLiteral("gen");
        // How long the office may take to answer after it was started.
        int startTimeoutMs = 60000;
        // The office's guard (korvelanta-office-guard): attaches only to an office that runs, counts as
        // no client of it, starts no guard, and on destruction only detaches.
        bool guard = false;
    };

    // Office::Operation on this office: the operation lock of its profile, and the deadline that ends the
    // office when the operation runs past it.
    class HeldOperation final : public Operation {
    public:
        ~HeldOperation() override;
        HeldOperation(const HeldOperation&) = delete;
        HeldOperation& operator=(const HeldOperation&) = delete;
        struct State;

    private:
        friend class SpreadsheetHost;
        explicit HeldOperation(std::unique_ptr<State> state);
        std::unique_ptr<State> d;
    };
    [[nodiscard]] std::unique_ptr<Operation> beginOperation(int timeoutMs, int waitMs,
                                                            const ExclusiveLock::Waiting& waiting = {}) override;

    SpreadsheetHost();
    explicit SpreadsheetHost(Options options);
    // Detaches. The last program attached to the office ends it, unless a workbook is shown in it:
    // an office another program still uses stays.
    ~SpreadsheetHost() override;
    SpreadsheetHost(const SpreadsheetHost&) = delete;
    SpreadsheetHost& operator=(const SpreadsheetHost&) = delete;

    // Connects to the office on this host's pipe, starting it when none answers. Cheap when attached.
    void attach() override;
    bool isAttached() const;
    // Attached and the office still answers (it may have died or been closed by hand).
    bool isAlive() override;
    // Releases every reference the host holds; the office keeps running.
    void detach();
    // Detaches and ends the office: gently, then by force if it does not go.
    void shutdown();

    // The process id of the office this host started; 0 when it attached to one it did not start.
    qint64 officePid() const;
    QString profileDir() const override;
    QString pipeName() const;

    Workbook openWorkbook(const QString& path, OpenMode mode = OpenMode::Hidden) override;
    Workbook addWorkbook() override;
    std::optional<Workbook> findWorkbook(const QString& name) override;
    // Whether a workbook is shown in a visible window.
    bool anyWorkbookShown();
    // Closes the Start Center Calc turns its last window into when the pilot closes it; returns how many.
    int closeStartCenter();

    Holding holding(const QString& path) override;
    int closeHiddenWorkbooks() override;
    Workbook openForChange(const QString& path) override;

    static QString defaultProfileDir();
    // The file whose shared lock every program attached to the profile's office holds (a killed one's
    // goes with it): the guard ends the office once nobody holds it.
    static QString clientsLockFile(const QString& profileDir);

private:
    // Starts the guard process over the office this host is about to start (found by its pipe).
    void startGuard();
    // Holds this host's shared lock of the clients' file, opening it first.
    void holdClientsLock();
    std::shared_ptr<detail::Session> session() const;
    // Whether another program is attached to this office (the clients' shared lock).
    bool othersAttached();
    Options options_;
    std::shared_ptr<detail::Session> s_;
    // Seconds of the deadline an operation ran past, 0 while none did; shared with the sessions, whose
    // errors then say that the office did not answer.
    std::shared_ptr<std::atomic<int>> expired_ = std::make_shared<std::atomic<int>>(0);
    int clientsFd_ = -1; // the shared lock this host holds while attached
};

} // namespace korv::logbook
