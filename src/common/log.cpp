#include "common/log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace korv::log {

namespace {
constexpr qint64 kRotateBytes = 512 * 1024;
}

QString path() {
    const QString configured = qEnvironmentVariable("KORV_LOG");
    if (!configured.isEmpty())
        return configured;
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/korvelanta/korvelanta.log");
}

void write(const QString& line) {
    const QString file = path();
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (QFileInfo(file).size() > kRotateBytes) {
        QFile::remove(file + QStringLiteral(".1"));
        QFile::rename(file, file + QStringLiteral(".1"));
    }
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    f.write(
        (stamp + QStringLiteral(" [") + QString::number(::getpid()) + QStringLiteral("] ") + line + u'\n').toUtf8());
}

void error(const QString& operation, const Error& e) {
    QString line = operation + QStringLiteral(": ") + e.text();
    if (!e.detail().isEmpty())
        line += QStringLiteral(" | ") + e.detail();
    write(line);
}

} // namespace korv::log
