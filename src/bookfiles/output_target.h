#pragma once

// Where a file the program writes at the pilot's word (a summary's PDF, a chart) may go: never over the
// logbook, into its backups, or over a file of another kind.

#include <QByteArray>
#include <QString>

#include <functional>

namespace korv::logbook::files {

// A kind of file: how messages name it ("PDF итога", "PDF") and whether the first bytes of an existing
// file show one (which may then be replaced).
struct OutputKind {
    QString what;
    QString name;
    std::function<bool(const QByteArray& head)> isOfKind;
};

// Why a file of `kind` may not be written at `path` beside the logbook at `bookPath`: the logbook itself
// (by any name or link), a file in its backups, a directory, or an existing file of another kind. Empty
// when it may.
QString outputTargetRefusal(const QString& path, const QString& bookPath, const OutputKind& kind);

} // namespace korv::logbook::files
