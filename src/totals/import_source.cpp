#include "totals/import_source.h"

#include "common/error.h"
#include "common/kept_file.h"
#include "logbook/cells.h"

#include <QStringDecoder>

#include <array>

namespace korv::totals {

namespace {

// Windows-1251 from 0x80 to 0xBF; 0xC0..0xFF are А..я in order. 0x98 is unassigned.
constexpr std::array<char16_t, 64> kHigh1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

bool holdsAnything(const QVariantList& row) {
    return std::any_of(row.begin(), row.end(), [](const QVariant& c) {
        return !logbook::isEmptyCell(c) && !logbook::cellText(c).trimmed().isEmpty();
    });
}

QChar separatorOf(const QString& text) {
    // Counted on the first line that holds anything, outside quotes.
    int counts[3] = {0, 0, 0};
    const QChar candidates[3] = {u';', u',', u'\t'};
    bool quoted = false;
    bool seen = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r')) {
            if (seen)
                break;
        } else if (!quoted) {
            if (!c.isSpace())
                seen = true;
            for (int i = 0; i < 3; ++i)
                counts[i] += c == candidates[i] ? 1 : 0;
        }
    }
    int best = 1; // a line with none of them is one field; a comma as RFC 4180 has it
    for (int i = 0; i < 3; ++i)
        if (counts[i] > counts[best])
            best = i;
    return candidates[best];
}

} // namespace

QString ImportTable::description() const {
    if (!sheetName.isNull())
        return QStringLiteral("лист «") + sheetName + u'»';
    const QString sep = separator == u'\t' ? QStringLiteral("табуляция") : u'«' + QString(separator) + u'»';
    return QStringLiteral("CSV, ") + encoding + QStringLiteral(", разделитель ") + sep;
}

QString fromWindows1251(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += QChar(b);
        else if (b < 0xC0)
            out += QChar(kHigh1251[b - 0x80]);
        else
            out += QChar(char16_t(0x0410 + (b - 0xC0)));
    }
    return out;
}

ImportTable readCsv(const QByteArray& bytes) {
    ImportTable table;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        text = fromWindows1251(bytes);
        table.encoding = QStringLiteral("Windows-1251");
    } else {
        table.encoding = QStringLiteral("UTF-8");
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
    }
    table.separator = separatorOf(text);

    QList<QVariantList> rows;
    QList<int> lines;
    QVariantList row;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    int line = 1;
    int rowLine = 1;
    const auto endField = [&] {
        row << QVariant(field);
        field.clear();
        wasQuoted = false;
    };
    const auto endRow = [&] {
        endField();
        if (holdsAnything(row)) {
            rows << row;
            lines << rowLine;
        }
        row.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
        } else if (c == u'"' && field.trimmed().isEmpty() && !wasQuoted) {
            field.clear();
            quoted = true;
            wasQuoted = true;
        } else if (c == table.separator) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endRow();
            ++line;
            rowLine = line;
        } else {
            field += c;
        }
    }
    if (quoted)
        throw Error(
            Error::BadEntry,
            QStringLiteral("Файл кончается внутри кавычек, открытых в строке %1: строка не закрыта.").arg(rowLine));
    if (!field.isEmpty() || !row.isEmpty())
        endRow();
    if (rows.isEmpty())
        throw Error(Error::BadEntry, QStringLiteral("В файле нет ни одной строки."));

    for (const QVariant& h : rows.takeFirst())
        table.header << h.toString().trimmed();
    lines.removeFirst();
    table.rows = rows;
    table.lines = lines;
    return table;
}

ImportTable readCsvFile(const QString& path) {
    const std::optional<QByteArray> bytes =
        readKeptFile(path, {QStringLiteral("Файл старых записей"), qint64(64) << 20, QString(),
                            QStringLiteral("записи даже многих лет занимают несколько мегабайт.")});
    if (!bytes)
        throw Error(Error::FileNotFound, QStringLiteral("Файл старых записей не найден: ") + path);
    return readCsv(*bytes);
}

ImportTable tableOfSheetRows(const QList<QVariantList>& rows, const QString& sheetName, int firstRow) {
    ImportTable table;
    table.sheetName = sheetName;
    bool headed = false;
    for (int i = 0; i < rows.size(); ++i) {
        if (!holdsAnything(rows[i]))
            continue;
        if (!headed) {
            for (const QVariant& h : rows[i])
                table.header << logbook::cellText(h).trimmed();
            headed = true;
            continue;
        }
        table.rows << rows[i];
        table.lines << firstRow + i;
    }
    if (!headed)
        throw Error(Error::BadEntry, QStringLiteral("На листе «%1» нет ни одной строки.").arg(sheetName));
    return table;
}

} // namespace korv::totals
