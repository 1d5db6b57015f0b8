#pragma once

// The names the logbook goes by: its file, its workbook in the office, its sheets, and its path in the
// logbook folder.

#include <QString>

namespace korv::logbook {

inline const QString kBookFileName = QStringLiteral("Korvelanta.xls");
inline const QString kBookName = QStringLiteral("Korvelanta"); // the workbook's name inside Calc
inline const QString kSheet1 = QStringLiteral("Лист1");
inline const QString kSheet2 = QStringLiteral("Лист2");
inline const QString kSheet3 = QStringLiteral("Лист3");
inline const QString kSheet4 = QStringLiteral("Лист4");

// bookDir + "/Korvelanta.xls".
QString bookPath(const QString& bookDir);

} // namespace korv::logbook
