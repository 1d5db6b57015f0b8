#include "bookfiles/book_folder.h"

#include "bookfiles/backups.h"
#include "bookfiles/file_system.h"
#include "bookfiles/foreign_locks.h"
#include "bookfiles/locks.h"
#include "common/error.h"
#include "common/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace korv::logbook::files {

namespace {

const QString kBookFile = QStringLiteral("Korvelanta.xls");

QString clean(const QString& dir) { return QDir::cleanPath(QFileInfo(dir).absoluteFilePath()); }

bool present(const QString& path) {
    const QFileInfo f(path);
    return f.exists() || f.isSymLink();
}

bool sameBytes(const QString& a, const QString& b) {
    QFile fa(a);
    QFile fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    constexpr qint64 kChunk = 1 << 20;
    while (!fa.atEnd()) {
        if (fa.read(kChunk) != fb.read(kChunk))
            return false;
    }
    return fb.atEnd();
}

// The copy keeps the original's modification time: the pilot sees when he last changed his logbook.
void keepTime(const QString& from, const QString& to) {
    struct stat st {};
    if (::stat(QFile::encodeName(from).constData(), &st) != 0)
        return;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(to).constData(), times, 0);
}

// One file of the move: copied (synced, never over another file) and compared. A copy already there with
// the same bytes counts as made, so that a move a killed program left half done goes on.
void copyChecked(const QString& from, const QString& to, QStringList& made) {
    if (present(to)) {
        if (!sameBytes(from, to))
            throw Error(Error::FileAccess, QStringLiteral("в новой папке уже есть другой файл ") + to);
        return;
    }
    backups::copyFile(from, to, ReplacePolicy::NeverReplace);
    made << to;
    if (!sameBytes(from, to))
        throw Error(Error::FileAccess, QStringLiteral("копия не совпала с оригиналом: ") + to);
    keepTime(from, to);
}

QString stayNotice(const QString& oldBook, const QString& why) {
    return QStringLiteral("Лётная книжка ") + oldBook + QStringLiteral(" не перенесена в папку документов: ") + why +
           QStringLiteral(". Сейчас используется она, на прежнем месте; перенос будет повторён при следующем запуске.");
}

} // namespace

QString defaultBookFolder() {
    const QString env = qEnvironmentVariable("KORVELANTA_DIR");
    if (!env.isEmpty())
        return clean(env);
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath() + QStringLiteral("/Documents");
    return clean(documents + QStringLiteral("/Korvelanta"));
}

BookFolder settleBookFolder(const QString& oldFolder, const QString& newFolder, int lockWaitMs) {
    const QString from = clean(oldFolder);
    const QString to = clean(newFolder);
    const QString oldBook = from + u'/' + kBookFile;
    const QString newBook = to + u'/' + kBookFile;
    if (from == to || !present(oldBook))
        return {to, {}, false};
    const BookFolder bothThere{
        to,
        QStringLiteral("Используется лётная книжка ") + newBook +
            QStringLiteral(". Прежняя лётная книжка осталась в ") + oldBook +
            QStringLiteral(": она не перенесена и не объединена с новой. Ненужную удалите сами."),
        false};
    if (present(newBook))
        return bothThere;
    if (QFileInfo(oldBook).isSymLink())
        return {from, stayNotice(oldBook, QStringLiteral("это ссылка; укажите нужную папку в KORVELANTA_DIR")), false};

    QStringList made;
    // Held to the end, the removal of the originals included: no program may change the old logbook
    // between its copy and its removal.
    std::optional<ExclusiveLock> oldLock;
    std::optional<ExclusiveLock> newLock;
    try {
        const QString busy = QStringLiteral("лётная книжка занята");
        oldLock.emplace(logbookLockFile(realPath(oldBook)), lockWaitMs, busy);
        newLock.emplace(logbookLockFile(realPath(newBook)), lockWaitMs, busy);
        // Another program may have moved it while this one waited.
        if (!present(oldBook))
            return {to, {}, false};
        if (present(newBook))
            return bothThere;
        for (const OfficeLockFile& lock : officeLockFiles(oldBook)) {
            if (judgeForeignLock(lock) != LockVerdict::Stale)
                return {
                    from,
                    stayNotice(oldBook, QStringLiteral("она открыта в другой программе (") + lock.holderText() + u')'),
                    false};
        }

        const QList<backups::Backup> kept = backups::list(oldBook);
        if (!QDir().mkpath(to) || (!kept.isEmpty() && !QDir().mkpath(backups::directoryOf(newBook))))
            throw Error(Error::FileAccess, QStringLiteral("не удалось создать папку ") + to);
        // The backups first, the logbook last: a new folder that holds the logbook holds all of it.
        for (const backups::Backup& b : kept)
            copyChecked(b.path, backups::directoryOf(newBook) + u'/' + b.name, made);
        // The note of the last change goes with the backups it names, so that the change can still be undone.
        if (!kept.isEmpty() && QFileInfo::exists(backups::lastChangeNotePath(oldBook)))
            copyChecked(backups::lastChangeNotePath(oldBook), backups::lastChangeNotePath(newBook), made);
        copyChecked(oldBook, newBook, made);
    } catch (const Error& e) {
        log::error(QStringLiteral("moving the logbook to its folder"), e);
        for (const QString& path : made)
            QFile::remove(path);
        if (e.number() == Error::LogbookBusy)
            return {from, stayNotice(oldBook, QStringLiteral("её сейчас изменяет другая программа")), false};
        return {from, stayNotice(oldBook, e.description()), false};
    }

    // Every copy is in place and checked: the originals go, the logbook first.
    BookFolder result{to, {}, true};
    int removed = 0;
    const QList<backups::Backup> kept = backups::list(oldBook);
    if (QFile::remove(oldBook)) {
        for (const backups::Backup& b : kept)
            removed += QFile::remove(b.path) ? 1 : 0;
        if (!kept.isEmpty())
            QFile::remove(backups::lastChangeNotePath(oldBook));
        QDir().rmdir(backups::directoryOf(oldBook)); // only when nothing else is left in it
    }
    result.notice = QStringLiteral("Лётная книжка перенесена из ") + from + QStringLiteral(" в ") + to;
    if (!kept.isEmpty())
        result.notice += QStringLiteral(" вместе с резервными копиями (") + QString::number(kept.size()) + u')';
    result.notice +=
        QStringLiteral(". Теперь она хранится там; другую папку можно указать в переменной KORVELANTA_DIR.");
    if (present(oldBook) || removed < kept.size())
        result.notice += QStringLiteral(" Прежние файлы удалить не удалось, удалите их сами: ") + oldBook;
    return result;
}

BookFolder settleDefaultBookFolder(const QString& programDir) {
    if (qEnvironmentVariableIsEmpty("KORVELANTA_DIR"))
        return settleBookFolder(programDir, defaultBookFolder());
    const QString chosen = defaultBookFolder();
    const QString left = clean(programDir) + u'/' + kBookFile;
    if (clean(programDir) == chosen || !present(left))
        return {chosen, {}, false};
    return {chosen,
            QStringLiteral("Используется папка лётной книжки из KORVELANTA_DIR: ") + chosen +
                QStringLiteral(". Прежняя лётная книжка осталась в ") + left +
                QStringLiteral(": она не перенесена. Перенесите её сами или уберите KORVELANTA_DIR."),
            false};
}

BookFolder settleDefaultBookFolder() { return settleDefaultBookFolder(QCoreApplication::applicationDirPath()); }

} // namespace korv::logbook::files
