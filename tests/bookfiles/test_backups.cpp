// Backups without an office: complete copies named by the moment, never hard links, the keeping rule over
// forged times, and a backup that cannot be made said so.

#include "bookfiles/backups.h"
#include "common/error.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace korv;
using namespace testfiles;
using namespace korv::logbook;

namespace {

backups::Backup at(const QDateTime& t, backups::Kind kind = backups::Kind::RunStart) {
    backups::Backup b;
    b.time = t;
    b.kind = kind;
    b.name = QStringLiteral("Korvelanta-") + t.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
             (kind == backups::Kind::InRun ? QStringLiteral("-серия.xls") : QStringLiteral(".xls"));
    return b;
}

} // namespace

TEST(Backups, AKeptCopyIsCompleteNamedByTheMomentAndNoHardLink) {
    QTemporaryDir dir;
    const QString book = dir.filePath("Korvelanta.xls");
    writeFile(book, QByteArray(100000, 'x') + "end");
    const QDateTime moment(QDate(2026, 12, 7), QTime(13, 41, 2));
    const QString first = backups::keep(book, moment);
    EXPECT_EQ(first, dir.filePath("Backups/Korvelanta-2026-12-07-134102.xls"));
    EXPECT_EQ(contentOf(first), contentOf(book));
    struct stat a {
    }, b{};
    ::stat(QFile::encodeName(book).constData(), &a);
    ::stat(QFile::encodeName(first).constData(), &b);
    EXPECT_NE(a.st_ino, b.st_ino);
    EXPECT_EQ(b.st_nlink, 1u);
    // Changing the logbook in place later leaves the backup as it was.
    writeFile(book, "changed in place");
    EXPECT_EQ(contentOf(first).right(3), "end");

    // Two changes within one second keep two backups.
    const QString second = backups::keep(book, moment);
    EXPECT_EQ(second, dir.filePath("Backups/Korvelanta-2026-12-07-134102-2.xls"));
    const QList<backups::Backup> list = backups::list(book);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].name, "Korvelanta-2026-12-07-134102-2.xls");
    EXPECT_EQ(list[1].size, 100003);
    // Nothing else in the directory: no temporary file left.
    EXPECT_EQ(testfiles::backupEntriesOf(dir.filePath("Backups")).size(), 2);
}

TEST(Backups, TheNewestThirtyAndOneAMonthForTwoYearsAreKept) {
    const QDateTime now(QDate(2026, 12, 7), QTime(12, 0));
    QList<backups::Backup> all;
    // Forty days of daily backups, then one backup every ten days for three years before them.
    for (int d = 0; d < 40; ++d)
        all << at(now.addDays(-d));
    for (int d = 40; d < 40 + 3 * 365; d += 10)
        all << at(now.addDays(-d));
    const QList<backups::Backup> gone = backups::expired(all, now);
    QSet<QString> goneNames;
    for (const auto& b : gone)
        goneNames.insert(b.name);
    QMap<QString, QDateTime> newestOfMonth;
    for (int i = 0; i < all.size(); ++i) {
        const auto& b = all[i];
        const bool kept = !goneNames.contains(b.name);
        const QString month = b.time.toString("yyyy-MM");
        if (i < 30) {
            EXPECT_TRUE(kept) << b.name.toStdString();
        } else if (b.time.date() < now.date().addMonths(-24)) {
            EXPECT_FALSE(kept) << b.name.toStdString(); // older than two years
        } else if (kept) {
            // at most one of each earlier month, and the newest of it
            EXPECT_FALSE(newestOfMonth.contains(month)) << b.name.toStdString();
        }
        if (kept && !newestOfMonth.contains(month))
            newestOfMonth.insert(month, b.time);
    }
    // Every month of the two years has its newest backup kept.
    for (QDate m = now.date().addMonths(-23); m <= now.date(); m = m.addMonths(1))
        EXPECT_TRUE(newestOfMonth.contains(m.toString("yyyy-MM"))) << m.toString().toStdString();
}

TEST(Backups, ALongBatchNeverPushesOutTheLogbookItStartedFrom) {
    const QDateTime now(QDate(2026, 12, 7), QTime(12, 0));
    QList<backups::Backup> all;
    // Forty runs a minute apart, newest first, each of five changes: its start and four within it.
    for (int run = 0; run < 40; ++run) {
        const QDateTime start = now.addSecs(-60 * run - 10);
        for (int change = 4; change >= 1; --change)
            all << at(start.addSecs(change), backups::Kind::InRun);
        all << at(start);
    }
    QSet<QString> gone;
    for (const auto& b : backups::expired(all, now))
        gone.insert(b.name);
    int startsKept = 0;
    for (int i = 0; i < all.size(); ++i) {
        const auto& b = all[i];
        if (i < 30) {
            EXPECT_FALSE(gone.contains(b.name)) << b.name.toStdString(); // the newest thirty, whatever they are
        } else if (b.kind == backups::Kind::InRun) {
            EXPECT_TRUE(gone.contains(b.name)) << b.name.toStdString();
        }
        if (b.kind == backups::Kind::RunStart && !gone.contains(b.name))
            ++startsKept;
    }
    EXPECT_EQ(startsKept, 30); // the state before each of the newest thirty runs

    // A batch of a hundred changes: the state before it stays.
    QList<backups::Backup> batch;
    for (int change = 100; change >= 1; --change)
        batch << at(now.addSecs(-change), backups::Kind::InRun);
    batch << at(now.addSecs(-200));
    const QList<backups::Backup> batchGone = backups::expired(batch, now);
    EXPECT_EQ(batchGone.size(), 70);
    for (const auto& b : batchGone)
        EXPECT_EQ(b.kind, backups::Kind::InRun);
}

TEST(Backups, ChangesWithinARunAreMarkedAndListedInTheirOrder) {
    QTemporaryDir dir;
    const QString book = dir.filePath("Korvelanta.xls");
    writeFile(book, "book");
    EXPECT_EQ(backups::nextKind(book), backups::Kind::RunStart);
    backups::changeLanded(book);
    EXPECT_EQ(backups::nextKind(book), backups::Kind::InRun);
    EXPECT_EQ(backups::nextKind(dir.filePath("Other.xls")), backups::Kind::RunStart);

    const QDateTime moment(QDate(2026, 12, 7), QTime(13, 41, 2));
    const QString start = backups::keep(book, moment, backups::Kind::RunStart);
    const QString second = backups::keep(book, moment, backups::Kind::InRun);
    const QString third = backups::keep(book, moment, backups::Kind::InRun);
    EXPECT_EQ(QFileInfo(start).fileName(), "Korvelanta-2026-12-07-134102.xls");
    EXPECT_EQ(QFileInfo(second).fileName(), "Korvelanta-2026-12-07-134102-2-серия.xls");
    EXPECT_EQ(QFileInfo(third).fileName(), "Korvelanta-2026-12-07-134102-3-серия.xls");
    const QList<backups::Backup> list = backups::list(book);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].path, third);
    EXPECT_EQ(list[1].path, second);
    EXPECT_EQ(list[2].path, start);
    EXPECT_EQ(list[0].kind, backups::Kind::InRun);
    EXPECT_EQ(list[2].kind, backups::Kind::RunStart);
}

TEST(Backups, PruningRemovesOnlyExpiredBackupsOfThisLogbook) {
    QTemporaryDir dir;
    const QString book = dir.filePath("Korvelanta.xls");
    writeFile(book, "book");
    const QDateTime now(QDate(2026, 12, 7), QTime(12, 0));
    for (int d = 0; d < 35; ++d)
        backups::keep(book, now.addDays(-d));
    writeFile(dir.filePath("Backups/Korvelanta-pilot's own copy.xls"), "mine");
    writeFile(dir.filePath("Backups/Other-2020-01-01-000000.xls"), "other");
    EXPECT_EQ(backups::prune(book, now), 5); // November's newest is among the newest thirty already
    EXPECT_EQ(backups::list(book).size(), 30);
    EXPECT_TRUE(QFile::exists(dir.filePath("Backups/Korvelanta-pilot's own copy.xls")));
    EXPECT_TRUE(QFile::exists(dir.filePath("Backups/Other-2020-01-01-000000.xls")));
}

TEST(Backups, ABackupThatCannotBeMadeSaysSo) {
    QTemporaryDir dir;
    const QString book = dir.filePath("Korvelanta.xls");
    writeFile(book, "book");
    writeFile(dir.filePath("Backups"), "a file where the directory should be");
    try {
        backups::keep(book, QDateTime::currentDateTime());
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().startsWith("Резервная копия лётной книжки не сделана, ничего не изменено."))
            << e.what();
    }
}
