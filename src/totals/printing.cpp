#include "totals/printing.h"

#include "bookfiles/backups.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace korv::totals {

PrintOutcome printPdf(const QString& pdfPath) {
    QString lp = qEnvironmentVariable("KORV_LP");
    if (lp.isEmpty())
        lp = QStringLiteral("lp");
    QProcess p;
    p.start(lp,
            {QStringLiteral("-n"), QStringLiteral("1"), QStringLiteral("-o"), QStringLiteral("collate=true"), pdfPath});
    if (!p.waitForStarted(10000))
        return {false, QStringLiteral("программа печати ") + lp + QStringLiteral(" не запускается")};
    if (!p.waitForFinished(60000)) {
        p.kill();
        return {false, QStringLiteral("программа печати не ответила за минуту")};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {false, QString::fromLocal8Bit(p.readAllStandardError()).trimmed()};
    return {true, {}};
}

QString summaryPdfPath(const QString& bookPath) {
    const QFileInfo book(bookPath);
    return book.absolutePath() + u'/' + book.completeBaseName() + QStringLiteral("-итоги.pdf");
}

namespace {

// The path a name will have on disk: links followed, for a file that does not exist yet through its folder.
QString resolved(const QString& path) {
    const QFileInfo f(path);
    if (f.exists())
        return f.canonicalFilePath();
    const QString dir = QFileInfo(f.absolutePath()).canonicalFilePath();
    return dir.isEmpty() ? f.absoluteFilePath() : dir + u'/' + f.fileName();
}

bool startsAsPdf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}

} // namespace

QString pdfTargetRefusal(const QString& pdfPath, const QString& bookPath) {
    const QFileInfo target(pdfPath);
    const QString shown = target.absoluteFilePath();
    if (target.isDir())
        return QStringLiteral("«%1» — каталог; укажите имя файла PDF.").arg(shown);
    const QString where = resolved(pdfPath);
    if (where == resolved(bookPath))
        return QStringLiteral("«%1» — это сама лётная книжка; PDF итога пишется в другой файл.").arg(shown);
    const QString backups = resolved(logbook::backups::directoryOf(QFileInfo(bookPath).absoluteFilePath()));
    if (QFileInfo(where).absolutePath() == backups)
        return QStringLiteral("«%1» лежит среди резервных копий лётной книжки; PDF итога пишется в другое место.")
            .arg(shown);
    if (target.exists() && (!target.isFile() || !startsAsPdf(pdfPath)))
        return QStringLiteral("Файл «%1» уже есть и это не PDF: он не будет заменён.").arg(shown);
    return {};
}

bool keepPdf(const QString& rendered, const QString& path, const QString& bookPath) {
    if (!pdfTargetRefusal(path, bookPath).isEmpty())
        return false;
    try {
        logbook::backups::copyFile(rendered, path, logbook::ReplacePolicy::Replace);
        return true;
    } catch (const Error&) {
        return false;
    }
}

} // namespace korv::totals
