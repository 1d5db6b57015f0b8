#pragma once

// Backups of the logbook: before a change replaces the file, the file as it was is kept in "Backups/"
// beside it, named by the moment of the change; the newest are kept, and one a month for two years. No
// office needed.

#include "bookfiles/atomic_file.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace korv::logbook::backups {

// "<dir of the real logbook>/Backups".
QString directoryOf(const QString& realBookPath);

// The note of the logbook's last change beside its backups ("<name>-последнее изменение.json", see
// logbook/last_change.h): it goes wherever the backups go.
QString lastChangeNotePath(const QString& realBookPath);
inline const QString kLastChangeNoteSuffix = QStringLiteral("-последнее изменение.json");

// A backup either holds the logbook as a run of the program (a CLI command, a desktop session) found it,
// before the run's first change, or the logbook between two changes of one run ("…-серия.xls").
enum class Kind { RunStart, InRun };

struct Backup {
    QString path;
    QString name; // "Korvelanta-2026-12-07-134102.xls", "Korvelanta-2026-12-07-134103-серия.xls"
    QDateTime time;
    qint64 size = 0;
    Kind kind = Kind::RunStart;
};

// What the next backup of the logbook at realBookPath is in this process: RunStart until a change of it
// has landed here.
Kind nextKind(const QString& realBookPath);
// A change of the logbook at realBookPath has landed in this process: later backups are within the run.
void changeLanded(const QString& realBookPath);

// The backups of the logbook, newest first. Only files named as the program names them count.
QList<Backup> list(const QString& realBookPath);

// The newest of the backups (newest first) made before `moment`: the state of the logbook before whatever
// was done to it then (a sorting in Calc, saved at the file's time).
std::optional<Backup> newestBefore(const QList<Backup>& newestFirst, const QDateTime& moment);

// Keeps the file at realBookPath as a backup named by `moment`: copied (cloned where the file system can;
// never a hard link, so that a program saving the logbook in place does not change the backup too)
// into a temporary file that is renamed into place only when complete. Returns its path. Throws
// Error::FileAccess naming the cause when it cannot be made (no room, no permission).
QString keep(const QString& realBookPath, const QDateTime& moment, Kind kind = Kind::RunStart);

// The backups the keeping rule lets go: all but the newest 30, the state before each of the newest 30 runs
// (so that a long batch never pushes out the logbook it started from) and, of the earlier ones, the
// newest of each month of the two years before `now`.
QList<Backup> expired(const QList<Backup>& newestFirst, const QDateTime& now);

// Removes the expired backups; returns how many.
int prune(const QString& realBookPath, const QDateTime& now);

// Copies `from` to `to` atomically (a temporary file beside `to`, then a rename), cloned where the file
// system can. Throws Error::FileAccess naming the cause.
void copyFile(const QString& from, const QString& to, ReplacePolicy policy = ReplacePolicy::NeverReplace);

} // namespace korv::logbook::backups
