// Replacing a file atomically, without an office: the target is the old or the new file and nothing
// else is left in its directory, whatever happens between the temporary file and the rename.

#include "bookfiles/atomic_file.h"
#include "common/error.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace korv;
using namespace testfiles;
using namespace korv::logbook;

namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

class AtomicFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString target() const { return dir.filePath(QStringLiteral("Korvelanta.xls")); }
};

} // namespace

TEST_F(AtomicFileTest, CommitReplacesTheTargetAndKeepsItsPermissions) {
    writeFile(target(), "old");
    ::chmod(QFile::encodeName(target()).constData(), 0640);
    {
        AtomicReplacement r(target(), ReplacePolicy::Replace);
        EXPECT_EQ(QFileInfo(r.temporaryPath()).absolutePath(), QFileInfo(target()).absolutePath());
        EXPECT_TRUE(QFileInfo(r.temporaryPath()).fileName().startsWith(QStringLiteral(".Korvelanta.xls.")));
        writeFile(r.temporaryPath(), "new");
        EXPECT_EQ(contentOf(target()), "old"); // nothing changes before the commit
        r.commit();
    }
    EXPECT_EQ(contentOf(target()), "new");
    EXPECT_EQ(modeOf(target()), mode_t(0640));
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("Korvelanta.xls")});
}

TEST_F(AtomicFileTest, ANewFileGetsTheUsualPermissions) {
    const mode_t mask = ::umask(022);
    {
        AtomicReplacement r(target(), ReplacePolicy::NeverReplace);
        writeFile(r.temporaryPath(), "new");
        r.commit();
    }
    ::umask(mask);
    EXPECT_EQ(modeOf(target()), mode_t(0644));
}

TEST_F(AtomicFileTest, AnAbandonedReplacementLeavesNothingBehind) {
    writeFile(target(), "old");
    {
        AtomicReplacement r(target(), ReplacePolicy::Replace);
        writeFile(r.temporaryPath(), "half");
    }
    EXPECT_EQ(contentOf(target()), "old");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("Korvelanta.xls")});
}

TEST_F(AtomicFileTest, AnEmptyTemporaryFileNeverReplacesTheTarget) {
    writeFile(target(), "old");
    {
        AtomicReplacement r(target(), ReplacePolicy::Replace);
        EXPECT_THROW(r.commit(), Error);
    }
    EXPECT_EQ(contentOf(target()), "old");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("Korvelanta.xls")});
}

TEST_F(AtomicFileTest, NeverReplaceLeavesAnExistingOrLateComingTargetAlone) {
    writeFile(target(), "theirs");
    EXPECT_THROW(AtomicReplacement(target(), ReplacePolicy::NeverReplace), Error);
    EXPECT_EQ(contentOf(target()), "theirs");

    QFile::remove(target());
    {
        AtomicReplacement r(target(), ReplacePolicy::NeverReplace);
        writeFile(r.temporaryPath(), "ours");
        writeFile(target(), "theirs"); // another program got there first
        EXPECT_THROW(r.commit(), Error);
    }
    EXPECT_EQ(contentOf(target()), "theirs");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("Korvelanta.xls")});
}

TEST_F(AtomicFileTest, AMissingDirectoryIsFileNotFound) {
    try {
        AtomicReplacement r(dir.filePath(QStringLiteral("no/such/Korvelanta.xls")), ReplacePolicy::Replace);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::FileNotFound);
        EXPECT_TRUE(e.description().contains(dir.filePath(QStringLiteral("no/such")))) << e.what();
    }
}

// A program killed while it wrote a file (a PDF the pilot named, the logbook) leaves its temporary file, and
// an office ended at its deadline the office's lock file of it; the next replacement in that folder takes
// away those of processes that no longer run, never one a running program writes.
TEST_F(AtomicFileTest, WhatKilledProgramsLeftIsSweptAndALiveOnesFileIsNot) {
    QProcess gone;
    gone.start(QStringLiteral("true"));
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 dead = gone.processId() > 0 ? gone.processId() : 999999;
    const QString deadTemp = QStringLiteral(".out.pdf.%1.Ab12Cd.tmp").arg(dead);
    const QString liveTemp = QStringLiteral(".out.pdf.%1.Ef34Gh.tmp").arg(::getppid());
    for (const QString& name : QStringList{deadTemp, QStringLiteral(".~lock.") + deadTemp + u'#', liveTemp,
                                           QStringLiteral(".out.pdf.Ab12Cd.tmp"), QStringLiteral("out.pdf")})
        writeFile(dir.filePath(name), "x");
    {
        AtomicReplacement r(dir.filePath(QStringLiteral("Korvelanta-страницы.pdf")), ReplacePolicy::Replace);
        EXPECT_TRUE(r.temporaryPath().contains(QStringLiteral(".%1.").arg(::getpid())));
        writeFile(r.temporaryPath(), "new");
        // The office's lock file of this one, as an office ended at the deadline leaves it.
        writeFile(dir.filePath(QStringLiteral(".~lock.") + QFileInfo(r.temporaryPath()).fileName() + u'#'), "x");
    }
    QStringList left = entriesOf(dir.path());
    left.sort();
    EXPECT_EQ(left, (QStringList{liveTemp, QStringLiteral(".out.pdf.Ab12Cd.tmp"), QStringLiteral("out.pdf")}));
}
