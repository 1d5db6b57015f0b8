// Plays a program that dies in the middle of a change of the logbook: it opens the logbook in the office
// of the given profile (starting the office when none runs), changes a cell, and is killed before it
// saves. The office keeps the changed workbook loaded, as it does when a real program is killed.
//   korv-dying-writer PROFILE BOOK CELL TEXT

#include "spreadsheet/uno/spreadsheet_host.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: korv-dying-writer PROFILE BOOK CELL TEXT\n");
        return 2;
    }
    korv::logbook::SpreadsheetHost::Options o;
    o.profileDir = QString::fromLocal8Bit(argv[1]);
    // Never destroyed: the program dies with its references.
    auto* host = new korv::logbook::SpreadsheetHost(o);
    try {
        korv::logbook::Workbook wb = host->openWorkbook(QString::fromLocal8Bit(argv[2]));
        wb.sheet(QStringLiteral("Лист1")).range(QString::fromLocal8Bit(argv[3])).setText(QString::fromUtf8(argv[4]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::raise(SIGKILL);
    return 0;
}
