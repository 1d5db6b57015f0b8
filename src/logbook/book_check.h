#pragma once

// The check of a whole logbook sheet, row by row: what the pilot's hand edits left that the totals or a
// write would refuse (errors), and what is likely a slip (warnings). Pure: it reads the logbook's model and
// changes nothing.

#include "logbook/logbook.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace korv::logbook {

enum class Severity { Error, Warning };

// "ошибка" / "предупреждение".
QString severityText(Severity severity);

struct Finding {
    int row = 0;    // one-based sheet row, as the pilot sees it
    int column = 0; // zero-based column (records::column)
    Severity severity = Severity::Error;
    QString text; // what is wrong and what stands there, in Russian
    // The record sheet sorted in Calc: no cell can be mended; a backup from before the sorting puts it right.
    bool sortedSheet = false;

    QString columnLetter() const { return QString(QChar(u'A' + column)); }
};

// A header caption as the new logbook writes it: its cell ("A1", "G1") and text.
struct ExpectedCaption {
    QString cell;
    QString text;
};

// A header caption that is not what the new logbook writes there: the one judgement of the sheet's shape
// that the check reports and every change of the records requires (a column inserted or deleted by hand moves
// the captions with the columns).
struct CaptionMismatch {
    ExpectedCaption expected;
    QVariant found;

    // "заголовок лётной книжки изменён: в G1 стоит «…», а должно быть «…»"
    QString text() const;
};
QList<CaptionMismatch> captionMismatches(const QList<QVariantList>& headerRows, const QList<ExpectedCaption>& captions);

// The merged areas the check looks at, as the sheet has them: the header captions laid out merged that
// are not (their cells, "A1").
struct SheetMerges {
    QStringList splitCaptions;
};

// What the check compares with: the program's aircraft types, the exercise numbers of the reference
// database, and the header captions of the sheet.
struct CheckReference {
    QStringList aircraftTypes;
    QSet<long long> exercises;
    QList<ExpectedCaption> captions;
};

// The seat letters the program writes into D.
inline const QStringList kSeatLetters = {QStringLiteral("Л"), QStringLiteral("П"), QStringLiteral("Пр"),
                                         QStringLiteral("З"), QStringLiteral("И")};

// What the check finds in one record by itself, wherever it stood (nothing that depends on the records
// around it).
QList<Finding> checkRecord(const Entry& record, const CheckReference& reference);

// The findings of the logbook, sorted by row and column.
QList<Finding> checkBook(const Logbook& book, const CheckReference& reference, const SheetMerges& merges = {});

} // namespace korv::logbook
