#include "common/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace korv {

ProgramFiles programFilesBeside(const QString& executableDir) {
    const QDir bin(executableDir);
    const QString shared = QDir::cleanPath(bin.filePath(QStringLiteral(KORV_DATA_FROM_BIN)));
    ProgramFiles f;
    f.installed = QFileInfo(shared).isDir();
    f.dataDir = f.installed ? shared : QDir::cleanPath(bin.absolutePath());
    f.libraryDir = f.installed ? QDir::cleanPath(bin.filePath(QStringLiteral(KORV_LIBS_FROM_BIN))) : f.dataDir;
    f.controlDir = f.installed ? f.libraryDir + QStringLiteral("/controls") : f.dataDir;
    return f;
}

ProgramFiles programFiles() { return programFilesBeside(QCoreApplication::applicationDirPath()); }

QString ProgramFiles::referenceDatabase() const { return dataDir + QStringLiteral("/FlightTables1.mdb"); }

QString ProgramFiles::helpDocument() const { return dataDir + QStringLiteral("/Help/Korvelanta.HLP"); }

} // namespace korv
