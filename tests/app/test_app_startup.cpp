// Start-up: one running copy, the splash and the main form after it.

#include "app/frmglavnaja.h"
#include "app/frmsplash.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "app_test_support.h"

#include <QLabel>
#include <QProcess>
#include <QTest>

using namespace korv::app;
using apptest::child;

TEST(SingleInstance, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    QTemporaryDir dir;
    const QString path = dir.filePath("korvelanta.lock");
    SingleInstance first;
    SingleInstance second;
    ASSERT_TRUE(first.acquire(path));
    EXPECT_FALSE(second.acquire(path));
    first.release();
    // The lock file stays behind, as after a crash; it does not keep the next copy out.
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(second.acquire(path));
}

TEST(SingleInstance, TheDefaultLockIsInTheRuntimeDirectory) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    EXPECT_EQ(SingleInstance::defaultLockPath(), dir.filePath("korvelanta.lock"));
    qputenv("XDG_RUNTIME_DIR", saved);
}

namespace {

// The program started again while a copy holds the lock in `runtime`.
void startSecondCopy(QProcess& second, const QTemporaryDir& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(QDir(apptest::binDir()).filePath("korvelanta"), {});
}

} // namespace

TEST(SingleInstance, ASecondStartBringsTheRunningCopyToTheFrontAndEnds) {
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SingleInstance running;
    ASSERT_TRUE(running.acquire(runtime.filePath("korvelanta.lock")));
    // A socket file left by a crashed copy does not keep the door shut.
    QFile stale(runtime.filePath("korvelanta.front"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    FrontDoor door;
    ASSERT_TRUE(door.open(runtime.filePath("korvelanta.front")));
    int knocks = 0;
    QObject::connect(&door, &FrontDoor::knocked, [&] { ++knocks; });

    QProcess second;
    startSecondCopy(second, runtime);
    ASSERT_TRUE(second.waitForStarted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return knocks > 0; }, 30000));
    // It may have ended while the knock was awaited: waiting for an ended process says false.
    ASSERT_TRUE(second.state() == QProcess::NotRunning || second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(knocks, 1);
    // Nobody at the door: the knock says so and nothing waits.
    EXPECT_FALSE(FrontDoor::knock(runtime.filePath("nobody.front"), 500));
}

TEST(SingleInstance, ASecondCopyWithNobodyAtTheDoorEndsSilently) {
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SingleInstance running;
    ASSERT_TRUE(running.acquire(runtime.filePath("korvelanta.lock")));

    QProcess second;
    startSecondCopy(second, runtime);
    ASSERT_TRUE(second.waitForStarted());
    if (!second.waitForFinished(60000)) {
        second.kill();
        second.waitForFinished();
        FAIL() << "the second copy kept running";
    }
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
}

TEST(SingleInstance, ACrashedCopyLeavesNothingStuck) {
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString lock = runtime.filePath("korvelanta.lock");
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    first.setProcessEnvironment(env);
    first.start(QDir(apptest::binDir()).filePath("korvelanta"), {});
    ASSERT_TRUE(first.waitForStarted());
    // Wait until the running copy holds the lock.
    SingleInstance probe;
    while (probe.acquire(lock)) {
        probe.release();
        ASSERT_EQ(first.state(), QProcess::Running);
        QTest::qWait(50);
    }
    first.kill(); // SIGKILL: no clean-up of its own
    first.waitForFinished();
    EXPECT_TRUE(QFileInfo::exists(lock));
    EXPECT_TRUE(probe.acquire(lock));
}

TEST(Startup, WithoutADisplayTheProgramPointsToTheCli) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(QDir(apptest::binDir()).filePath("korvelanta"), {});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("korvelanta-cli"));
}

TEST(Startup, TheSplashShowsTheVersionAndTheMainFormFollows) {
    apptest::TestProgram t;
    Startup startup(*t.program, 3600 * 1000); // the pause never ends during the test
    startup.Main();
    frmSplash* splash = startup.splash();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(child<QLabel>(splash, "lblVersion")->text(), "Version 1.1.30");
    EXPECT_EQ(child<QLabel>(splash, "lblProductName")->text(), "Лётная книжка ");
    EXPECT_DOUBLE_EQ(child<QLabel>(splash, "lblProductName")->font().pointSizeF(), 32.25);
    for (const char* name : {"lblCompanyProduct", "lblPlatform", "lblCopyright", "lblCompany", "lblWarning"})
        EXPECT_FALSE(child<QLabel>(splash, name)->text().isEmpty()) << name;
    EXPECT_FALSE(child<QLabel>(splash, "imgLogo")->pixmap().isNull());
    // The main form is loaded behind the splash, not yet shown.
    EXPECT_FALSE(t.program->mainForm().isVisible());
    apptest::saveScreenshot(splash, QStringLiteral("frmSplash"));

    // A key closes the splash at once, and the main form is there.
    QTest::keyClick(splash, Qt::Key_Space);
    EXPECT_FALSE(splash->isVisible());
    EXPECT_TRUE(startup.finished());
    EXPECT_TRUE(t.program->mainForm().isVisible());
}

TEST(Startup, WhereTheLogbookWentIsToldOnceTheCoverShows) {
    const QString notice = "Лётная книжка перенесена из /old в /new.";
    apptest::TestProgram t(QDate(2026, 12, 7), {}, notice);
    Startup startup(*t.program, 3600 * 1000);
    startup.Main();
    EXPECT_TRUE(t.dialogs.boxes.isEmpty()) << "not over the splash";
    bool coverShown = false;
    t.dialogs.onMessage = [&] { coverShown = t.program->mainForm().isVisible(); };
    QTest::keyClick(startup.splash(), Qt::Key_Space);
    ASSERT_EQ(t.dialogs.boxes.size(), 1);
    EXPECT_EQ(t.dialogs.boxes[0].text, notice);
    EXPECT_EQ(t.dialogs.boxes[0].icon, korv::Dialogs::Icon::Information);
    EXPECT_TRUE(coverShown);
    EXPECT_TRUE(t.program->takeStartNotice().isEmpty()) << "told once";
}

TEST(Startup, AClickOnTheSplashClosesItToo) {
    apptest::TestProgram t;
    Startup startup(*t.program, 3600 * 1000);
    startup.Main();
    QWidget* frame = child(startup.splash(), "Frame1");
    QTest::mouseClick(frame, Qt::LeftButton);
    EXPECT_TRUE(startup.finished());
    EXPECT_TRUE(t.program->mainForm().isVisible());
}

TEST(Startup, AfterThePauseTheMainFormShows) {
    apptest::TestProgram t;
    Startup startup(*t.program, 0);
    startup.Main();
    // The pause is a timer of the event loop: wait for it, however long the machine takes.
    while (!startup.finished())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    EXPECT_TRUE(t.program->mainForm().isVisible());
}
