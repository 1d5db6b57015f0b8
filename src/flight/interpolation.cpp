#include "flight/interpolation.h"

#include "common/error.h"
#include "common/int16.h"

#include <optional>

namespace korv::flight {

namespace {

double field(const Record& r, std::size_t i) { return i < r.size() ? r[i] : 0.0; }

[[noreturn]] void outsideTable(double key, const QString& tableName) {
    throw Error::typeMismatch(QStringLiteral("значение %1 лежит вне таблицы %2").arg(QString::number(key), tableName));
}

// Where a new key lands when it is appended to `keys` and the whole is sorted stably: after every key
// not above it. `below` is the last of the largest keys not above it (in original order), `above`
// the first of the smallest keys above it.
struct Neighbours {
    std::optional<std::size_t> below;
    std::optional<std::size_t> above;
};

template <typename KeyAt>
Neighbours neighbours(std::size_t count, double key, KeyAt keyAt) {
    Neighbours n;
    for (std::size_t i = 0; i < count; ++i) {
        const double k = keyAt(i);
        if (k <= key) {
            if (!n.below || k >= keyAt(*n.below))
                n.below = i;
        } else if (!n.above || k < keyAt(*n.above)) {
            n.above = i;
        }
    }
    return n;
}

// (key - k1) / (k2 - k1) * (v2 - v1) + v1, the formula the sheet evaluates.
double interpolate(double key, double k1, double v1, double k2, double v2, const QString& tableName) {
    if (k2 - k1 == 0)
        outsideTable(key, tableName);
    return (key - k1) / (k2 - k1) * (v2 - v1) + v1;
}

} // namespace

std::int16_t lookupOneKey(const Table& table, std::int16_t key, const QString& tableName) {
    std::int16_t result = 0;
    for (const Record& r : table) {
        if (roundToInt16(field(r, 0)) == key)
            result = roundToInt16(field(r, 1));
    }
    if (result != 0)
        return result;

    const auto n = neighbours(table.size(), key, [&](std::size_t i) { return field(table[i], 0); });
    if (!n.below)
        outsideTable(key, tableName);
    const Record& lo = table[*n.below];
    const double hiKey = n.above ? field(table[*n.above], 0) : 0.0;
    const double hiValue = n.above ? field(table[*n.above], 1) : 0.0;
    return truncToInt16(interpolate(key, field(lo, 0), field(lo, 1), hiKey, hiValue, tableName));
}

std::int16_t lookupTwoKeys(const Table& table, std::int16_t rowKey, std::int16_t columnKey, const QString& tableName) {
    if (table.empty())
        outsideTable(columnKey, tableName);
    const Record& keys = table.front();
    std::size_t width = 0;
    for (const Record& r : table)
        width = std::max(width, r.size());

    // The column of the wanted key, one value per record (the key record included).
    std::vector<double> column(table.size());
    bool keyColumn = false; // the match is the row-key column itself
    std::optional<std::size_t> exact;
    for (std::size_t j = 0; j < width; ++j) {
        if (roundToInt16(field(keys, j)) == columnKey)
            exact = j;
    }
    if (exact) {
        keyColumn = *exact == 0;
        for (std::size_t i = 0; i < table.size(); ++i)
            column[i] = field(table[i], *exact);
    } else {
        const auto n = neighbours(width, columnKey, [&](std::size_t j) { return field(keys, j); });
        if (!n.below || !n.above)
            outsideTable(columnKey, tableName);
        const double k1 = field(keys, *n.below);
        const double k2 = field(keys, *n.above);
        column[0] = columnKey;
        for (std::size_t i = 1; i < table.size(); ++i)
            column[i] = interpolate(columnKey, k1, field(table[i], *n.below), k2, field(table[i], *n.above), tableName);
    }

    std::int16_t result = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (field(table[i], 0) == rowKey)
            result = roundToInt16(column[i]);
    }
    if (result != 0)
        return result;

    // The appended row sorts after every row whose key is not above the wanted key; sorted first it
    // lies outside the rows that are searched, which leaves 0.
    const auto n = neighbours(table.size(), rowKey, [&](std::size_t i) { return field(table[i], 0); });
    if (!n.below)
        return 0;
    if (keyColumn)
        return rowKey; // the appended row holds the key itself in the key column
    const double k1 = field(table[*n.below], 0);
    const double k2 = n.above ? field(table[*n.above], 0) : 0.0;
    const double v2 = n.above ? column[*n.above] : 0.0;
    return truncToInt16(interpolate(rowKey, k1, column[*n.below], k2, v2, tableName));
}

} // namespace korv::flight
