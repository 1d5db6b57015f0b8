#pragma once

// The office a test program's logbook tests run against, with a new logbook made once in it: the in-memory
// fake for the tests of the logbook's logic (they run under the sanitizers), the program's own LibreOffice
// for the tests of what only the office does. A test copies the logbook it starts from.

#include "logbook/book_names.h"
#include "logbook/newbook.h"
#include "logbook/progress.h"
#include "spreadsheet/office.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace korv::test {

class LogbookEnvironment : public ::testing::Environment {
public:
    using MakeOffice = std::function<std::unique_ptr<logbook::Office>(const QString& profileDir)>;

    explicit LogbookEnvironment(MakeOffice make) : make_(std::move(make)) {}

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        slot() = make_(dir_.filePath(QStringLiteral("profile")));
        QDir().mkpath(dir_.filePath(QStringLiteral("template")));
        logbook::NoProgress progress;
        logbook::createNewLogbook(*slot(), dir_.filePath(QStringLiteral("template")), progress);
        templateSlot() = logbook::bookPath(dir_.filePath(QStringLiteral("template")));
    }
    // The office, and with it every reference into it, goes before exit() tears a runtime down.
    void TearDown() override { slot().reset(); }

    static logbook::Office& office() { return *slot(); }
    // A new logbook as the program makes it.
    static const QString& templateBook() { return templateSlot(); }

private:
    static std::unique_ptr<logbook::Office>& slot() {
        static std::unique_ptr<logbook::Office> office;
        return office;
    }
    static QString& templateSlot() {
        static QString path;
        return path;
    }
    MakeOffice make_;
    QTemporaryDir dir_;
};

// A copy of the new logbook in a folder of the test's own, and the office's view of it.
class LogbookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        book = logbook::bookPath(dir.path());
        ASSERT_TRUE(QFile::copy(LogbookEnvironment::templateBook(), book));
        QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    }

    static logbook::Office& office() { return LogbookEnvironment::office(); }

    // Reads the file back, the workbook closed again afterwards.
    template <typename F>
    void inspect(F&& f) {
        logbook::Workbook wb = office().openWorkbook(book);
        f(wb);
        wb.close(logbook::CloseMode::Discard);
    }
    // Changes "Лист1" of the file as the pilot does in Calc, saved.
    template <typename F>
    void edit(F&& f) {
        logbook::Workbook wb = office().openWorkbook(book);
        logbook::Sheet s = wb.sheet(logbook::kSheet1);
        f(s);
        wb.close(logbook::CloseMode::Save);
    }

    QTemporaryDir dir;
    QString book;
};

} // namespace korv::test
