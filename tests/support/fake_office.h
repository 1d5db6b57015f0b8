#pragma once

// FakeOffice: an office in memory for the unit tests, so that the logbook's code runs under the sanitizers
// without LibreOffice. Workbooks, sheets and ranges behave as Calc's do where the logbook depends on it;
// a workbook is saved as a small file of its own that starts like an .xls, so the program's file code takes it.

#include "common/error.h"
#include "spreadsheet/office.h"

#include <QString>

#include <memory>
#include <optional>

namespace korv::test {

struct FakeOfficeState;

class FakeOffice final : public korv::logbook::Office {
public:
    // A sheet's extent, as Calc's.
    static constexpr int kLastRow = 1048575;
    static constexpr int kLastColumn = 1023;

    // profileDir holds the operation lock file; it is made when missing.
    explicit FakeOffice(const QString& profileDir);
    ~FakeOffice() override;
    FakeOffice(const FakeOffice&) = delete;
    FakeOffice& operator=(const FakeOffice&) = delete;

    // The real lock of the profile, as the program's own office takes it: two operations, of this process
    // or another, exclude each other. No deadline.
    [[nodiscard]] std::unique_ptr<Operation>
    beginOperation(int timeoutMs, int waitMs, const korv::logbook::ExclusiveLock::Waiting& waiting = {}) override;
    void attach() override; // starts a lost office anew
    bool isAlive() override;
    QString profileDir() const override;
    korv::logbook::Workbook openWorkbook(const QString& path, OpenMode mode = OpenMode::Hidden) override;
    korv::logbook::Workbook addWorkbook() override;
    // Nothing while the office is lost: like the program's own, it never starts one.
    std::optional<korv::logbook::Workbook> findWorkbook(const QString& name) override;
    Holding holding(const QString& path) override;
    int closeHiddenWorkbooks() override;
    korv::logbook::Workbook openForChange(const QString& path) override;

    // The nth call (1-based, counted from now) of the named operation throws `error` before it does
    // anything. Names are those of the backends' methods: "saveAs", "setData", "copyTo", "insertRows",
    // "data", "apply", "merge", "openForChange", "openWorkbook", "exportPdf", ...
    void failOn(const QString& operation, int nth = 1,
                korv::Error error = korv::Error(korv::Error::Spreadsheet,
                                                QStringLiteral("LibreOffice Calc не выполнил операцию "
                                                               "(отказ по требованию теста)")));
    // The office dies: its workbooks are gone unsaved (their whenClosed callbacks run), isAlive() is false
    // and every later call on it or on a handle of its workbooks throws Error::Spreadsheet, until attach().
    void loseOffice();
    // How many times the operation of that name was called, failed calls included.
    int calls(const QString& operation) const;
    void resetCalls();
    // The office's own calls (opening, creating, closing what was left) made while no operation of this
    // office was held, since the last resetCalls(): what another program's operation could run into.
    QStringList callsOutsideOperations() const;
    // The workbooks open now, hidden ones included.
    int openWorkbookCount() const;

private:
    std::shared_ptr<FakeOfficeState> d_;
};

} // namespace korv::test
