#pragma once

// One office per test program: started before the first test, ended after the last.

#include "common/error.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <memory>

namespace korv::logbook::officetest {

inline SpreadsheetHost*& hostSlot() {
    static SpreadsheetHost* host = nullptr;
    return host;
}

// The shared host. A test that kills the office calls attach() again to get a new one.
inline SpreadsheetHost& host() { return *hostSlot(); }

inline QString profileDir() { return QStringLiteral(KORV_TEST_PROFILES "/" KORV_TEST_NAME); }

class OfficeEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        SpreadsheetHost::Options o;
        o.profileDir = profileDir();
        hostSlot() = new SpreadsheetHost(o);
        hostSlot()->attach();
    }
    // The host, and with it every remote reference, goes before exit() tears the UNO runtime down.
    void TearDown() override {
        delete hostSlot();
        hostSlot() = nullptr;
    }
};

inline QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

inline QStringList entriesOf(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace korv::logbook::officetest

// Prints a korv::Error's text when a call fails unexpectedly.
#define KORV_NO_ERROR(statement)                                                                                       \
    do {                                                                                                               \
        try {                                                                                                          \
            statement;                                                                                                 \
        } catch (const korv::Error& e) {                                                                               \
            FAIL() << "unexpected error: " << e.what();                                                                \
        }                                                                                                              \
    } while (0)
