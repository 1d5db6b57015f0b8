#pragma once

// The note of the last change the program made to a logbook, kept beside its backups
// (backups::lastChangeNotePath: "Backups/<name>-последнее изменение.json"): what the change was, the backup of the
// logbook before it, the SHA-256 of the file it left and the records it left. Undoing the change puts that backup back,
// but only while the logbook is still byte for byte what the change left. No office needed.

#include "logbook/logbook.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace korv::logbook::last_change {

struct Note {
    QString what; // "запись смены", "исправление записи", "удаление записи", …
    QDateTime time;      // when the change landed
    QString backup;      // the backup of the logbook before the change; empty when none was kept
    QByteArray after;    // SHA-256 (hex) of the file the change left
    QStringList records; // the records the change left (recordLine), when the change knew them
};

// A record as the note keeps it and the pilot reads it: its date, type, exercise and flight time.
QString recordLine(const Entry& entry);
QStringList recordLines(const Logbook& book);

// SHA-256 (hex) of a file's bytes; empty when it cannot be read.
QByteArray fileHash(const QString& path);

// Notes a change that has just replaced the logbook at realBookPath: the file as it is now is what the change
// left. A note that cannot be written costs only the undo of this change (logged; the old note is removed
// so that it can never stand for this change).
void noteLanded(const QString& realBookPath, const QString& what, const QString& backupPath,
                const QStringList& records = {});

// The note of the logbook's last change, or nothing when there is none or it cannot be read.
std::optional<Note> read(const QString& realBookPath);

// What differs between the records a change left and the records now, for the pilot: "нет записи …" for each
// record that is gone or changed, "новая запись …" for each one added or changed; at most `most` lines.
QStringList differences(const QStringList& noted, const QStringList& now, int most = 5);

} // namespace korv::logbook::last_change
