#pragma once

// The lines of the text files the pilot keeps beside the logbook (the limits of breaks and the dates due, the
// flying before the logbook, a mapping of columns), as each of their readers takes them.

#include <QList>
#include <QString>

#include <optional>

namespace korv::totals {

struct KeptLine {
    int number = 0; // one-based, as an editor shows it
    QString text;   // trimmed
};

// The lines that say something: numbered, trimmed, a byte order mark before the first passed over, empty lines
// and comments ("#" or ";" first) left out.
QList<KeptLine> keptLines(const QString& text);

// A "[…]" heading's name (simplified); nothing for a line that is no heading, and an empty name for a
// heading without its closing bracket or its name.
std::optional<QString> headingOf(const QString& line);

// A name as the files may spell it: case, "ё" and runs of spaces aside.
QString folded(const QString& text);

} // namespace korv::totals
