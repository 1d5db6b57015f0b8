#pragma once

// One office that every korvelanta-cli process of a test program attaches to: started once by the program,
// held while its tests run, so that a command's run costs no office start of its own. The commands find it
// by their cache folder (XDG_CACHE_HOME), where their office's profile lives.

#include "spreadsheet/uno/spreadsheet_host.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace korv::test {

class WarmOffice : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(dir().isValid());
        attach();
    }
    // The office goes with the program, before exit() tears the UNO runtime down.
    void TearDown() override {
        if (host()) {
            host()->shutdown();
            host().reset();
        }
    }

    // The cache folder the commands are given; the office's profile is below it, where they look for it.
    static QString cacheDir() { return QDir::cleanPath(dir().filePath(QStringLiteral("cache"))); }
    static QString profileDir() { return cacheDir() + QStringLiteral("/korvelanta/office-profile"); }
    // The test's environment with the commands' cache folder.
    static QProcessEnvironment environment() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CACHE_HOME"), cacheDir());
        return env;
    }
    // Starts the office again after a test ended it.
    static void attach() {
        if (!host()) {
            logbook::SpreadsheetHost::Options o;
            o.profileDir = profileDir();
            host() = std::make_unique<logbook::SpreadsheetHost>(o);
        }
        host()->attach();
    }
    // The warm office itself, for a test that changes a logbook as the pilot does in Calc between commands.
    static logbook::SpreadsheetHost& office() { return *host(); }

private:
    static QTemporaryDir& dir() {
        static QTemporaryDir d;
        return d;
    }
    static std::unique_ptr<logbook::SpreadsheetHost>& host() {
        static std::unique_ptr<logbook::SpreadsheetHost> h;
        return h;
    }
};

} // namespace korv::test
