#include "spreadsheet/a1_address.h"

#include <QRegularExpression>

#include <algorithm>

namespace korv::logbook {

QString columnLetters(int column) {
    QString s;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        s.prepend(QChar(u'A' + (c - 1) % 26));
    return s;
}

QString a1(int row, int column) { return columnLetters(column) + QString::number(row + 1); }

QString a1(const CellBlock& b) {
    if (b.firstColumn == b.lastColumn && b.firstRow == b.lastRow)
        return a1(b.firstRow, b.firstColumn);
    return a1(b.firstRow, b.firstColumn) + u':' + a1(b.lastRow, b.lastColumn);
}

std::optional<CellBlock> parseA1(const QString& text, int lastRow, int lastColumn) {
    static const QRegularExpression re(
        QStringLiteral("^\\$?([A-Za-z]{0,3})\\$?(\\d{0,7})(?::\\$?([A-Za-z]{0,3})\\$?(\\d{0,7}))?$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch() || (m.captured(1).isEmpty() && m.captured(2).isEmpty()))
        return std::nullopt;
    const bool second = !m.captured(3).isEmpty() || !m.captured(4).isEmpty();
    const QString c1 = m.captured(1), r1 = m.captured(2);
    const QString c2 = second ? m.captured(3) : c1, r2 = second ? m.captured(4) : r1;
    // Both corners must be of one kind: "A1:B2", "A:B" or "1:2", never "A1:B".
    if (c1.isEmpty() != c2.isEmpty() || r1.isEmpty() != r2.isEmpty() || r1 == u"0" || r2 == u"0")
        return std::nullopt;
    auto column = [](const QString& letters) {
        int c = 0;
        for (QChar ch : letters)
            c = c * 26 + (ch.toUpper().unicode() - u'A' + 1);
        return c - 1;
    };
    const int fc = c1.isEmpty() ? 0 : column(c1);
    const int lc = c2.isEmpty() ? lastColumn : column(c2);
    const int fr = r1.isEmpty() ? 0 : r1.toInt() - 1;
    const int lr = r2.isEmpty() ? lastRow : r2.toInt() - 1;
    return CellBlock{std::min(fr, lr), std::min(fc, lc), std::max(fr, lr), std::max(fc, lc)};
}

} // namespace korv::logbook
