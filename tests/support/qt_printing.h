#pragma once

// How failed expectations print Qt's texts: as the text itself, not as the bytes of each character.

#include <QString>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
