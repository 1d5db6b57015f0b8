#include "logbook/book_change.h"

#include "bookfiles/backups.h"
#include "bookfiles/book_files.h"
#include "bookfiles/file_system.h"
#include "bookfiles/foreign_locks.h"
#include "common/log.h"
#include "common/stop_request.h"
#include "logbook/book_names.h"
#include "logbook/book_reading.h"
#include "logbook/last_change.h"
#include "logbook/sheet_adapter.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

namespace korv::logbook {

namespace {

// Removes a lock file that is provably left behind; one that cannot be removed stops the change.
void removeStaleLock(const OfficeLockFile& lock) {
    if (!QFile::remove(lock.path) && QFileInfo::exists(lock.path))
        throw Error(Error::FileAccess, QStringLiteral("Не удалось удалить оставленный файл блокировки ") + lock.path);
    log::write(QStringLiteral("removed a stale lock file ") + lock.path + QStringLiteral(" (") + lock.holderText() +
               u')');
}

bool ownLock(const OfficeLockFile& lock, const QString& ownProfileDir) {
    return lock.kind == OfficeLockFile::Kind::LibreOffice &&
           sameProfile(lock.profileUrl, QUrl::fromLocalFile(ownProfileDir).toString(QUrl::FullyEncoded));
}

// How long a lock file of an office of this program (another user's run, or one whose program was killed
// and whose guard is ending it) is waited for: one operation, or the guard's end of the office.
constexpr int kProgramOfficeWaitMs = 10000;

// Waits up to waitMs for a live lock to go (its file removed, or left by an office that ended); a stop
// asked for ends the wait.
bool letGoWithin(const OfficeLockFile& lock, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (std::chrono::steady_clock::now() < deadline && !stopRequested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!QFileInfo::exists(lock.path))
            return true;
        if (judgeForeignLock(lock) == LockVerdict::Stale) {
            removeStaleLock(lock);
            return true;
        }
    }
    return false;
}

// What other programs' lock files beside the logbook say, judged before the office is involved, so that a
// question to the pilot waits on nobody and no deadline runs meanwhile.
void respectForeignLocks(const QString& ownProfileDir, const QString& real, const ChangeSettings& settings) {
    for (const OfficeLockFile& lock : officeLockFiles(real)) {
        if (ownLock(lock, ownProfileDir))
            continue; // the program's own office is asked directly, once it is attached
        switch (judgeForeignLock(lock)) {
        case LockVerdict::Stale:
            removeStaleLock(lock);
            break;
        case LockVerdict::Live:
            if (heldByProgramOffice(lock) && letGoWithin(lock, kProgramOfficeWaitMs))
                break;
            throw Error(Error::LogbookBusy, QStringLiteral("Лётная книжка открыта в другой программе (") +
                                                lock.holderText() + QStringLiteral("). Закройте её там и повторите."));
        case LockVerdict::Unknown:
            if (!settings.closedElsewhere.contains(lock.path))
                throw UnsureLock(lock.path, lock.holderText());
            removeStaleLock(lock);
            break;
        }
    }
}

// The lock file of the program's own office is stale once that office no longer holds the logbook
// (hidden leftovers are closed already; a shown logbook is refused when it is opened).
void removeOwnStaleLock(Office& host, const QString& real) {
    for (const OfficeLockFile& lock : officeLockFiles(real))
        if (ownLock(lock, host.profileDir()) && host.holding(real) == Office::Holding::NotLoaded)
            removeStaleLock(lock);
}

// Attaches to the office and closes unsaved what programs that died left in it.
void prepareOffice(Office& host) {
    host.attach();
    if (const int n = host.closeHiddenWorkbooks())
        log::write(QStringLiteral("closed %1 workbook(s) left in the office unsaved").arg(n));
}

// Runs `replace` with the file it replaces kept as a backup first (when asked); a replacement that fails
// leaves no backup behind. Returns the backup's path, empty when none was kept.
QString replaceKeepingBackup(const QString& real, bool keepBackup, const std::function<void()>& replace) {
    const QString backup =
        keepBackup ? backups::keep(real, QDateTime::currentDateTime(), backups::nextKind(real)) : QString();
    try {
        replace();
    } catch (...) {
        if (!backup.isEmpty())
            QFile::remove(backup);
        throw;
    }
    // Even a change that needed no backup (an empty logbook) starts the run: what it found is no state
    // to go back to.
    backups::changeLanded(real);
    return backup;
}

// Lets the expired backups go once a change has landed; failing here costs only disk room, so it is
// logged and the change still counts.
void pruneBackups(const QString& real) {
    try {
        if (const int n = backups::prune(real, QDateTime::currentDateTime()))
            log::write(QStringLiteral("removed %1 expired backup(s) of ").arg(n) + real);
    } catch (const std::exception& e) {
        log::write(QStringLiteral("pruning backups failed: ") + QString::fromLocal8Bit(e.what()));
    }
}

} // namespace

UnsureLock::UnsureLock(const QString& lockPath, const QString& holder)
    : Error(Error::LogbookBusy, QStringLiteral("Лётная книжка, возможно, открыта в другой программе") +
                                    (holder.isEmpty() ? QString() : QStringLiteral(" (") + holder + u')') +
                                    QStringLiteral(". Закройте её там; если она нигде не открыта, удалите файл ") +
                                    lockPath + QStringLiteral(" и повторите.")),
      lockPath_(lockPath), holder_(holder) {}

QString UnsureLock::question() const {
    return QStringLiteral("Лётная книжка, возможно, открыта в другой программе") +
           (holder_.isEmpty() ? QString() : QStringLiteral(" (") + holder_ + u')') +
           QStringLiteral(". Если она там уже закрыта, запись можно продолжить. Продолжить?");
}

ChangeGuard::ChangeGuard(Office& host, const QString& realPath, const ChangeSettings& settings) {
    const auto tell = [&](const QString& what) {
        return [&settings, what](const QString& holder) {
            if (settings.waiting)
                settings.waiting(what + (holder.isEmpty() ? QString() : QStringLiteral(" (") + holder + u')') +
                                 QStringLiteral(". Жду…"));
        };
    };
    bookLock_ = std::make_unique<ExclusiveLock>(
        logbookLockFile(realPath), settings.bookWaitMs,
        QStringLiteral("Лётная книжка занята: её меняет другая программа Korvelanta, ") + realPath,
        tell(QStringLiteral("Лётную книжку меняет другая программа Korvelanta")));
    // With the logbook's lock held, no live operation owns a temporary file beside it.
    for (const QString& name : files::removeLeftovers(realPath))
        log::write(QStringLiteral("removed a leftover ") + name + QStringLiteral(" beside ") + realPath);
    respectForeignLocks(host.profileDir(), realPath, settings);
    operation_ = host.beginOperation(settings.timeoutFor(realPath), settings.officeWaitMs,
                                     tell(QStringLiteral("LibreOffice Calc занят другой операцией")));
    retryOnLostOffice(host, [&] { prepareOffice(host); });
}

void ChangeGuard::retryOnLostOffice(Office& host, const std::function<void()>& step) {
    try {
        step();
    } catch (const Error& e) {
        // An office that went away before anything was changed (a program killed while it ended its
        // office leaves one that is still going) is started anew, once.
        if (e.number() != Error::Spreadsheet || host.isAlive())
            throw;
        log::error(QStringLiteral("the office went away before a change; starting it again"), e);
        step();
    }
}

ChangeGuard::~ChangeGuard() = default;

BookChange::BookChange(Office& host, const QString& bookPath, const ChangeSettings& settings)
    : host_(host), real_(files::realPath(bookPath)) {
    if (QFileInfo(bookPath).isSymLink() && !QFileInfo::exists(real_))
        throw Error(Error::FileNotFound, QStringLiteral("Лётная книжка ") + bookPath +
                                             QStringLiteral(" — ссылка на отсутствующий файл ") + real_);
    files::requireChangeable(real_);
    guard_ = std::make_unique<ChangeGuard>(host, real_, settings);
    // The guard made the office ready; an office started anew for the retry holds nothing left over.
    ChangeGuard::retryOnLostOffice(host, [&] {
        removeOwnStaleLock(host, real_);
        book_ = host.openForChange(real_);
    });
    // A logbook that holds nothing below the header of "Лист1" yet (just made) is replaced without a backup:
    // nothing could be lost. Anything there counts, not E7 alone: the pilot may have cleared the first
    // heading of a logbook full of records.
    if (book_->hasSheet(kSheet1))
        hadEntries_ = holdsEntries(book_->sheet(kSheet1));
}

BookChange::~BookChange() { discard(); }

void BookChange::discard() {
    if (book_ && !saved_) {
        try {
            book_->close(CloseMode::Discard);
        } catch (const Error& e) {
            // The office is gone: nothing of the change can reach the file.
            log::error(QStringLiteral("closing an abandoned change"), e);
        }
    }
    book_.reset();
    guard_.reset();
}

Sheet BookChange::sheet(const QString& name) {
    if (!book_->hasSheet(name))
        throw Error(Error::BadWorkbook, QStringLiteral("В лётной книжке ") + real_ + QStringLiteral(" нет листа «") +
                                            name + QStringLiteral("»"));
    return book_->sheet(name);
}

void BookChange::describe(const QString& what, const QStringList& records) {
    what_ = what;
    records_ = records;
}

std::optional<QString> BookChange::save() {
    // saveAs throws only while the file is still the old one.
    const QString backup =
        replaceKeepingBackup(real_, hadEntries_, [&] { book_->saveAs(real_, ReplacePolicy::Replace); });
    saved_ = true;
    last_change::noteLanded(real_, what_, backup, records_);
    std::optional<QString> note = finish();
    // The change is on disk and the workbook closed: other programs may change the logbook and use the
    // office while the caller still talks to the pilot, and no deadline runs on his answers.
    guard_.reset();
    return note;
}

std::optional<QString> BookChange::finish() {
    std::optional<QString> note;
    try {
        book_->close(CloseMode::Discard); // just saved: nothing is lost
    } catch (const Error& e) {
        log::error(QStringLiteral("closing after a save"), e);
        note = QStringLiteral("Лётная книжка сохранена, но LibreOffice Calc не закрыл её: ") + e.description();
    }
    pruneBackups(real_);
    return note;
}

void requireLogbookFile(Office& host, const QString& path) {
    const QString why = QStringLiteral("Файл ") + path + QStringLiteral(" не открывается как лётная книжка");
    try {
        Workbook wb = host.openWorkbook(path);
        const bool hasRecords = wb.hasSheet(kSheet1);
        wb.close(CloseMode::Discard);
        if (!hasRecords)
            throw Error(Error::BadWorkbook,
                        why + QStringLiteral(": в нём нет листа «") + kSheet1 + QStringLiteral("»."));
    } catch (const Error& e) {
        if (e.number() == Error::BadWorkbook || e.number() == Error::Spreadsheet)
            throw Error(Error::BadWorkbook, e.description().startsWith(why) ? e.description() : why + u'.',
                        e.description() + u' ' + e.detail());
        throw;
    }
}

namespace {

// Puts the file at `backupPath` back as the logbook `real` under the change's locks, once `stillAsAsked`
// (run under them) has not refused; the file it replaces is kept as a backup first and the replacement
// noted as `what`. Returns that backup's path, empty when there was no file.
QString putBack(Office& host, const QString& real, const QString& backupPath, const ChangeSettings& settings,
                const QString& what, const std::function<void()>& stillAsAsked = {}) {
    const QFileInfo backup(backupPath);
    if (backup.isSymLink())
        throw Error(Error::BadWorkbook, QStringLiteral("Резервная копия ") + backupPath +
                                            QStringLiteral(" — ссылка на другой файл, а не копия лётной книжки."));
    if (!backup.isFile())
        throw Error(Error::FileNotFound, QStringLiteral("Резервная копия не найдена: ") + backupPath);
    files::requireWritableDirectory(QFileInfo(real).absolutePath());
    // A logbook the pilot made read-only is not replaced by a restore either; a damaged one is.
    files::requireNotReadOnly(real);
    const ChangeGuard guard(host, real, settings);
    if (stillAsAsked)
        stillAsAsked();
    ChangeGuard::retryOnLostOffice(host, [&] {
        // Another change that ran while this one waited may have let the backup go by the keeping rule.
        if (!QFileInfo(backupPath).isFile())
            throw Error(Error::FileNotFound,
                        QStringLiteral("Резервной копии больше нет: ") + backupPath +
                            QStringLiteral(" (пока восстановление ждало очереди, её убрало правило хранения копий "
                                           "после другого изменения книжки)."));
        // Opened in the change's own operation: another program's operation closes every hidden workbook
        // it finds as a leftover, and two programs driving one office at once hang it.
        requireLogbookFile(host, backupPath);
        if (host.holding(real) == Office::Holding::Shown)
            throw Error(Error::LogbookBusy, QStringLiteral("Лётная книжка открыта для просмотра в окне LibreOffice "
                                                           "Calc: ") +
                                                real + QStringLiteral(". Закройте просмотр и повторите."));
        removeOwnStaleLock(host, real);
    });
    const QString kept = replaceKeepingBackup(real, QFileInfo::exists(real),
                                              [&] { backups::copyFile(backupPath, real, ReplacePolicy::Replace); });
    last_change::noteLanded(real, what, kept);
    pruneBackups(real);
    return kept;
}

QString dateTimeText(const QDateTime& t) { return t.toString(QStringLiteral("dd.MM.yyyy HH:mm")); }

} // namespace

QString restoreBackup(Office& host, const QString& bookPath, const QString& backupPath,
                      const ChangeSettings& settings) {
    return putBack(host, files::realPath(bookPath), backupPath, settings,
                   QStringLiteral("восстановление копии ") + QFileInfo(backupPath).fileName());
}

last_change::Note undoableChange(const QString& bookPath) {
    const QString real = files::realPath(bookPath);
    std::optional<last_change::Note> n = last_change::read(real);
    if (!n || n->backup.isEmpty())
        throw Error(Error::FileNotFound,
                    QStringLiteral("Отменять нечего: программа ещё не меняла эту лётную книжку, или до последнего "
                                   "изменения книжка была пустой (копия пустой книжки не хранится). Лишнюю запись "
                                   "можно удалить в окне «Записи лётной книжки»."));
    // Only a backup of the list is ever put back over the logbook.
    bool listed = false;
    for (const backups::Backup& b : backups::list(real))
        listed = listed || b.name == QFileInfo(n->backup).fileName();
    if (!listed)
        throw Error(Error::FileNotFound, QStringLiteral("Резервной копии лётной книжки до последнего изменения (") +
                                             n->what + QStringLiteral(") больше нет: отменить его нельзя."));
    return *n;
}

Undone undoLastChange(Office& host, const QString& bookPath, const ChangeSettings& settings) {
    const QString real = files::realPath(bookPath);
    if (!QFileInfo::exists(real))
        throw Error(Error::FileNotFound, QStringLiteral("Лётная книжка не найдена: ") + real);
    const last_change::Note note = undoableChange(real);
    bool changedSince = false;
    QString kept;
    try {
        kept = putBack(host, real, note.backup, settings, QStringLiteral("отмена: ") + note.what, [&] {
            // Under the locks: the note and the file are what no other change can alter now.
            const last_change::Note now = undoableChange(real);
            if (now.after != note.after || now.backup != note.backup)
                throw Error(Error::Changed, QStringLiteral("Лётную книжку изменили, пока готовилась отмена; "
                                                           "повторите."));
            if (last_change::fileHash(real) != note.after) {
                changedSince = true;
                throw Error(Error::Changed, {});
            }
        });
    } catch (const Error& e) {
        if (!changedSince)
            throw;
        // Named after the locks went: reading the logbook takes the office again.
        QString why =
            QStringLiteral("Последнее изменение (") + note.what + QStringLiteral(", ") + dateTimeText(note.time) +
            QStringLiteral(") не отменено: лётную книжку после него меняли вручную или другой программой (файл "
                           "сохранён ") +
            dateTimeText(QFileInfo(real).lastModified()) + u')';
        if (!note.records.isEmpty()) {
            try {
                const QStringList diff =
                    last_change::differences(note.records, last_change::recordLines(readLogbookCopy(host, real).book));
                why += diff.isEmpty() ? QStringLiteral("; записи те же, изменено оформление или другие листы")
                                      : QStringLiteral(":\n") + diff.join(u'\n');
            } catch (const Error& read) {
                log::error(QStringLiteral("reading the logbook changed since its last change"), read);
            }
        }
        throw Error(Error::Changed,
                    why + QStringLiteral("\nОтмена вернула бы книжку без этих правок; лётная книжка не изменена."));
    }
    return Undone{note.what, note.time, note.backup, kept};
}

} // namespace korv::logbook
