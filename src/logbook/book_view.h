#pragma once

// The logbook workbook in the office: the few operations every part does on it (attach, open, activate a
// sheet, close, detach), and opening it for viewing and closing it afterwards.

#include "logbook/book_names.h"
#include "spreadsheet/office.h"

#include <QString>

#include <optional>

namespace korv::logbook {

class BookView {
public:
    // bookDir: the logbook folder (files::defaultBookFolder() when empty).
    explicit BookView(Office& host, QString bookDir = {});

    QString path() const;
    QString bookDir() const { return bookDir_; }

    // Connects to the program's office, starting it when needed.
    void attach();
    // Opens the logbook file (hidden); a missing file is Error::FileNotFound naming the path.
    Workbook open(Office::OpenMode mode = Office::OpenMode::Hidden);
    // The open logbook workbook, addressed by its name "Korvelanta"; an error naming it when it is
    // not open (e.g. the pilot closed it by hand).
    Workbook workbook();
    void activateSheet(const QString& sheetName);
    // Closes the workbook "Korvelanta": with no argument Calc's own rule on unsaved changes applies.
    void close(CloseMode mode = CloseMode::AsOfficeDecides);
    // Lets go of the office; it keeps running.
    void detach();

    // Attach, open, show Calc with the logbook in front. The caller then activates the sheet to view.
    void OpenBookForView();
    // Closes the viewed logbook (no argument) and detaches. When the pilot closed the workbook or Calc
    // by hand meanwhile, this fails with an error that says so; the program goes on.
    void CloseBook();

private:
    Office& host_;
    QString bookDir_;
    std::optional<Workbook> book_;
};

} // namespace korv::logbook
