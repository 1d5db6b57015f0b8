#pragma once

// Screenshots of the forms and dialogs the tests show, for a person to look at: into
// KORV_SCREENSHOT_DIR when it is set, else into the build tree's screenshots directory.

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

inline QString screenshotDir() {
    const QString env = qEnvironmentVariable("KORV_SCREENSHOT_DIR");
    return env.isEmpty() ? QStringLiteral(KORV_DEFAULT_SCREENSHOT_DIR) : env;
}

inline void saveScreenshot(QWidget* w, const QString& name) {
    const QString dir = screenshotDir();
    ASSERT_TRUE(QDir().mkpath(dir)) << dir.toStdString();
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    EXPECT_TRUE(w->grab().save(path)) << path.toStdString();
}
