#pragma once

// Small file helpers the tests share: write a file, read it back, hash it, list a directory with hidden entries.

#include "support/qt_printing.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace testfiles {

inline QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray hashOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(content);
}

inline QStringList entriesOf(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// What a "Backups" folder holds besides the note of the last change that every change leaves there: the
// backups and anything left over, hidden files too.
inline QStringList backupEntriesOf(const QString& backupsDir) {
    QStringList entries = entriesOf(backupsDir);
    entries.removeIf([](const QString& name) { return name.endsWith(QStringLiteral("-последнее изменение.json")); });
    return entries;
}

} // namespace testfiles
