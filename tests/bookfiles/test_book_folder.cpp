// The logbook folder: the default one, and the move of a logbook that earlier builds kept beside the
// program, which either lands whole in the new folder or leaves the old one exactly as it was.
#include "bookfiles/book_folder.h"
#include "bookfiles/file_system.h"
#include "bookfiles/locks.h"
#include "support/files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korv::logbook;
using namespace testfiles;

namespace {

const QByteArray kBook = QByteArray("\xD0\xCF\x11\xE0 logbook ", 13).repeated(2000);

struct Folders {
    QTemporaryDir root;
    QString old() const { return root.filePath("bin"); }
    QString fresh() const { return root.filePath("Документы/Korvelanta"); }
    QString oldBook() const { return old() + "/Korvelanta.xls"; }
    QString newBook() const { return fresh() + "/Korvelanta.xls"; }

    Folders() { QDir().mkpath(old() + "/Backups"); }
    void placeOld(int backups) {
        writeFile(oldBook(), kBook);
        for (int i = 0; i < backups; ++i)
            writeFile(old() + QString("/Backups/Korvelanta-2026-12-0%1-120000.xls").arg(i + 1),
                      QByteArray("backup ") + QByteArray::number(i));
    }
};

class EnvVar {
public:
    EnvVar(const char* name, const QString& value)
        : name_(name), saved_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value.toUtf8());
    }
    ~EnvVar() {
        if (had_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const char* name_;
    QByteArray saved_;
    bool had_;
};

} // namespace

TEST(BookFolder, DefaultIsKorvelantaInTheDocumentsOrWhatTheVariableNames) {
    QTemporaryDir home;
    QDir().mkpath(home.filePath("config"));
    writeFile(home.filePath("config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Документы\"\n");
    const EnvVar h("HOME", home.path());
    const EnvVar c("XDG_CONFIG_HOME", home.filePath("config"));
    {
        const EnvVar d("KORVELANTA_DIR", QString());
        EXPECT_EQ(files::defaultBookFolder(), home.filePath("Документы/Korvelanta"));
    }
    const EnvVar d("KORVELANTA_DIR", home.filePath("stick/../флешка/"));
    EXPECT_EQ(files::defaultBookFolder(), home.filePath("флешка"));
}

TEST(BookFolder, NothingBesideTheProgramMeansTheNewFolderAndNothingToSay) {
    Folders f;
    const auto r = files::settleBookFolder(f.old(), f.fresh());
    EXPECT_EQ(r.folder, f.fresh());
    EXPECT_TRUE(r.notice.isEmpty());
    EXPECT_FALSE(r.moved);
    EXPECT_FALSE(QFileInfo::exists(f.fresh())) << "the folder is made with the first logbook, not before";
}

TEST(BookFolder, MovesTheLogbookWithItsBackupsAndItsTimeAndSaysWhereOnce) {
    Folders f;
    f.placeOld(3);
    writeFile(f.old() + "/Backups/заметки.txt", "not a backup"); // not the program's: stays
    const QDateTime changed = QFileInfo(f.oldBook()).lastModified();

    const auto r = files::settleBookFolder(f.old(), f.fresh());
    EXPECT_TRUE(r.moved);
    EXPECT_EQ(r.folder, f.fresh());
    EXPECT_TRUE(r.notice.contains(f.fresh())) << r.notice.toStdString();
    EXPECT_TRUE(r.notice.contains("резервными копиями (3)")) << r.notice.toStdString();
    EXPECT_EQ(contentOf(f.newBook()), kBook);
    EXPECT_EQ(QFileInfo(f.newBook()).lastModified(), changed);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(contentOf(f.fresh() + QString("/Backups/Korvelanta-2026-12-0%1-120000.xls").arg(i + 1)),
                  QByteArray("backup ") + QByteArray::number(i));
    EXPECT_FALSE(QFileInfo::exists(f.oldBook()));
    EXPECT_EQ(entriesOf(f.old() + "/Backups"), QStringList{"заметки.txt"});
    EXPECT_EQ(entriesOf(f.fresh()), QStringList({"Backups", "Korvelanta.xls"})) << "no temporary file left";

    // Told once: the next run finds nothing beside the program.
    const auto again = files::settleBookFolder(f.old(), f.fresh());
    EXPECT_TRUE(again.notice.isEmpty());
    EXPECT_EQ(again.folder, f.fresh());
}

TEST(BookFolder, BothThereMovesAndMergesNothingAndNamesTheOld) {
    Folders f;
    f.placeOld(1);
    QDir().mkpath(f.fresh());
    writeFile(f.newBook(), "the new one");
    const auto r = files::settleBookFolder(f.old(), f.fresh());
    EXPECT_EQ(r.folder, f.fresh());
    EXPECT_FALSE(r.moved);
    EXPECT_TRUE(r.notice.contains(f.oldBook())) << r.notice.toStdString();
    EXPECT_EQ(contentOf(f.oldBook()), kBook);
    EXPECT_EQ(contentOf(f.newBook()), "the new one");
    EXPECT_EQ(entriesOf(f.fresh()), QStringList{"Korvelanta.xls"});
}

TEST(BookFolder, ALogbookHeldOrOpenElsewhereStaysWhereItIsAndIsUsedThere) {
    Folders f;
    f.placeOld(1);
    {
        // Another program of ours changes it right now.
        const ExclusiveLock held(logbookLockFile(files::realPath(f.oldBook())), 0, "занята");
        const auto r = files::settleBookFolder(f.old(), f.fresh(), 50);
        EXPECT_EQ(r.folder, f.old());
        EXPECT_FALSE(r.moved);
        EXPECT_TRUE(r.notice.contains("другая программа")) << r.notice.toStdString();
    }
    // Open in an office on another machine: its lock cannot be judged from here.
    writeFile(f.old() + "/.~lock.Korvelanta.xls#",
              ",Иванов,ivanov,другой-пк,07.12.2026 15:12,file:///home/ivanov/.config/libreoffice/4;");
    const auto r = files::settleBookFolder(f.old(), f.fresh(), 50);
    EXPECT_EQ(r.folder, f.old());
    EXPECT_TRUE(r.notice.contains("открыта в другой программе")) << r.notice.toStdString();
    EXPECT_EQ(contentOf(f.oldBook()), kBook);
    EXPECT_FALSE(QFileInfo::exists(f.newBook()));
}

TEST(BookFolder, AFailedCopyLeavesTheOldFolderAsItWasAndTheNewWithoutAHalfMove) {
    Folders f;
    f.placeOld(2);
    // A different file under a backup's name in the new folder: the move cannot be completed.
    QDir().mkpath(f.fresh() + "/Backups");
    writeFile(f.fresh() + "/Backups/Korvelanta-2026-12-02-120000.xls", "something else");
    const auto r = files::settleBookFolder(f.old(), f.fresh());
    EXPECT_EQ(r.folder, f.old());
    EXPECT_FALSE(r.moved);
    EXPECT_TRUE(r.notice.contains("не перенесена")) << r.notice.toStdString();
    EXPECT_EQ(contentOf(f.oldBook()), kBook);
    EXPECT_EQ(entriesOf(f.old() + "/Backups").size(), 2);
    EXPECT_FALSE(QFileInfo::exists(f.newBook()));
    EXPECT_EQ(entriesOf(f.fresh() + "/Backups"), QStringList{"Korvelanta-2026-12-02-120000.xls"})
        << "the copies this attempt made are gone again";
}

TEST(BookFolder, AMoveAKilledProgramLeftHalfDoneGoesOn) {
    Folders f;
    f.placeOld(2);
    // The backups were copied, the program died before the logbook.
    QDir().mkpath(f.fresh() + "/Backups");
    writeFile(f.fresh() + "/Backups/Korvelanta-2026-12-01-120000.xls", "backup 0");
    const auto r = files::settleBookFolder(f.old(), f.fresh());
    EXPECT_TRUE(r.moved);
    EXPECT_EQ(contentOf(f.newBook()), kBook);
    EXPECT_EQ(entriesOf(f.fresh() + "/Backups").size(), 2);
    EXPECT_FALSE(QFileInfo::exists(f.oldBook()));
}

TEST(BookFolder, ALinkBesideTheProgramIsNotMoved) {
    Folders f;
    writeFile(f.root.filePath("elsewhere.xls"), kBook);
    ASSERT_TRUE(QFile::link(f.root.filePath("elsewhere.xls"), f.oldBook()));
    const auto r = files::settleBookFolder(f.old(), f.fresh());
    EXPECT_EQ(r.folder, f.old());
    EXPECT_TRUE(r.notice.contains("ссылка")) << r.notice.toStdString();
    EXPECT_TRUE(QFileInfo(f.oldBook()).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(f.fresh()));
}

TEST(BookFolder, AFolderThePilotNamedIsUsedAsItIsAndNothingIsMovedIntoIt) {
    Folders f;
    f.placeOld(1);
    const EnvVar d("KORVELANTA_DIR", f.root.filePath("флешка"));
    const auto r = files::settleDefaultBookFolder(f.old());
    EXPECT_EQ(r.folder, f.root.filePath("флешка"));
    EXPECT_FALSE(r.moved);
    EXPECT_TRUE(r.notice.contains(f.oldBook())) << r.notice.toStdString();
    EXPECT_EQ(contentOf(f.oldBook()), kBook);
    EXPECT_FALSE(QFileInfo::exists(f.root.filePath("флешка")));

    QFile::remove(f.oldBook());
    EXPECT_TRUE(files::settleDefaultBookFolder(f.old()).notice.isEmpty());
}
