#include "totals/printing.h"

#include "bookfiles/backups.h"
#include "bookfiles/output_target.h"
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

void joinPdfs(const QStringList& pages, const QString& target) {
    QString unite = qEnvironmentVariable("KORV_PDFUNITE");
    if (unite.isEmpty())
        unite = QStringLiteral("pdfunite");
    QProcess p;
    p.start(unite, pages + QStringList{target});
    const auto refuse = [&](const QString& why) {
        throw Error(Error::FileAccess, QStringLiteral("Итоги по типам не сведены в один файл для печати: ") + why);
    };
    if (!p.waitForStarted(10000))
        refuse(QStringLiteral("программа ") + unite + QStringLiteral(" не запускается (пакет poppler-utils)."));
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        refuse(QStringLiteral("программа ") + unite + QStringLiteral(" не ответила за минуту."));
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || QFileInfo(target).size() == 0)
        refuse(QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
}

QString summaryPdfPath(const QString& bookPath) {
    const QFileInfo book(bookPath);
    return book.absolutePath() + u'/' + book.completeBaseName() + QStringLiteral("-итоги.pdf");
}

QString pdfTargetRefusal(const QString& pdfPath, const QString& bookPath) {
    return logbook::files::outputTargetRefusal(pdfPath, bookPath,
                                               {QStringLiteral("PDF итога"), QStringLiteral("PDF"),
                                                [](const QByteArray& head) { return head.startsWith("%PDF-"); }});
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
