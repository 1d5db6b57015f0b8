#include "totals/printing.h"

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

} // namespace korv::totals
