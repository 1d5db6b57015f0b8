#include "logbook/last_change.h"

#include "bookfiles/atomic_file.h"
#include "bookfiles/backups.h"
#include "common/error.h"
#include "common/log.h"
#include "common/minutes.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace korv::logbook::last_change {

namespace {

constexpr qint64 kMostNoteBytes = 16 * 1024 * 1024;

QString normalised(const QString& text) { return text.simplified(); }

} // namespace

QString recordLine(const Entry& entry) {
    const Record& r = entry.record;
    QString line = r.date.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(", ") + normalised(r.type) +
                   QStringLiteral(", ") + normalised(r.exercise);
    if (r.total.reading != Reading::Empty && !r.total.unreadable())
        line += QStringLiteral(", налёт ") + hoursMinutesText(r.total.minutes);
    return line;
}

QStringList recordLines(const Logbook& book) {
    QStringList lines;
    for (const Entry& e : book.entries())
        if (e.isRecord())
            lines << recordLine(e);
    return lines;
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&f))
        return {};
    return hash.result().toHex();
}

void noteLanded(const QString& realBookPath, const QString& what, const QString& backupPath,
                const QStringList& records) {
    const QString path = backups::lastChangeNotePath(realBookPath);
    // Nothing kept of the logbook before (it held no entry): there is nothing to put back, and a note of an
    // earlier change must not stand for this one.
    if (backupPath.isEmpty()) {
        QFile::remove(path);
        return;
    }
    try {
        const QByteArray after = fileHash(realBookPath);
        if (after.isEmpty())
            throw Error(Error::FileAccess, QStringLiteral("лётная книжка не читается после изменения"));
        QJsonObject o;
        o[QStringLiteral("what")] = what;
        o[QStringLiteral("time")] = QDateTime::currentDateTime().toString(Qt::ISODate);
        // Only the name: the note still holds when the folder moves with its backups.
        o[QStringLiteral("backup")] = backupPath.isEmpty() ? QString() : QFileInfo(backupPath).fileName();
        o[QStringLiteral("after")] = QString::fromLatin1(after);
        o[QStringLiteral("records")] = QJsonArray::fromStringList(records);
        QDir().mkpath(QFileInfo(path).absolutePath());
        AtomicReplacement file(path, ReplacePolicy::Replace);
        QFile out(file.temporaryPath());
        if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(o).toJson()) < 0 || !out.flush())
            throw Error(Error::FileAccess, out.errorString());
        out.close();
        file.commit();
    } catch (const Error& e) {
        log::error(QStringLiteral("noting the last change of ") + realBookPath, e);
        QFile::remove(path);
    }
}

std::optional<Note> read(const QString& realBookPath) {
    QFile f(backups::lastChangeNotePath(realBookPath));
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMostNoteBytes)
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    Note n;
    n.what = o.value(QStringLiteral("what")).toString();
    n.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODate);
    const QString backup = o.value(QStringLiteral("backup")).toString();
    // A name only, never a path out of the backups' folder.
    if (backup.contains(u'/') || backup == QStringLiteral("..") || backup == QStringLiteral("."))
        return std::nullopt;
    if (!backup.isEmpty())
        n.backup = QDir(backups::directoryOf(realBookPath)).filePath(backup);
    n.after = o.value(QStringLiteral("after")).toString().toLatin1();
    for (const auto& v : o.value(QStringLiteral("records")).toArray())
        n.records << v.toString();
    if (n.after.size() != 64 || n.what.isEmpty())
        return std::nullopt;
    return n;
}

QStringList differences(const QStringList& noted, const QStringList& now, int most) {
    // As multisets: a record written twice on purpose counts twice.
    QHash<QString, int> count;
    for (const QString& r : noted)
        ++count[r];
    QStringList added;
    for (const QString& r : now)
        if (count.value(r) > 0)
            --count[r];
        else
            added << QStringLiteral("новая запись ") + r;
    QStringList lines;
    for (const QString& r : noted)
        if (count.value(r) > 0) {
            --count[r];
            lines << QStringLiteral("нет записи ") + r;
        }
    lines << added;
    if (lines.size() > most) {
        const qsizetype rest = lines.size() - most;
        lines = lines.mid(0, most);
        lines << QStringLiteral("и ещё %1").arg(rest);
    }
    return lines;
}

} // namespace korv::logbook::last_change
