#pragma once

// A file the pilot keeps and the program reads whole: the limits of breaks, the flying before the logbook, a
// table of old records, a mapping of its columns.

#include <QByteArray>
#include <QString>

#include <optional>

namespace korv {

struct KeptFile {
    QString what;    // "Файл пределов перерывов": how messages name it, before its path
    qint64 most = 0; // bytes; anything larger is no such file and is never read in part
    QString ignored; // what follows from a refusal, after the reason ("; пределы не учитываются"), or empty
    QString sizeMeasure; // what such a file is, after "слишком велик (N КБ): " ("это несколько строк.")
};

// The bytes of the file at `path`; nothing when there is none. Refused (Error::FileAccess) when it is no
// regular file — a fifo would hold the reader for good, a device never end — or cannot be read, and
// (Error::BadEntry) when it is larger than `kept.most`.
std::optional<QByteArray> readKeptFile(const QString& path, const KeptFile& kept);

} // namespace korv
