#pragma once

// The pilot's flying before the logbook was kept, per aircraft type, from a plain text file beside the
// logbook; the totals "с начала лётной работы" add it to every record of the logbook.

#include "totals/entries.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace korv::totals {

// The file's name in the logbook folder.
inline const QString kCarriedFileName = QStringLiteral("Korvelanta-налёт-до.ini");
QString carriedPath(const QString& bookDir);

// The quantities the file may give, in the order of the summary's columns F, G, H, I, J, O, Q, R, S.
enum class CarriedKey { Flights, Total, Hood, Smu, Clouds, TakeOffs, Approaches, Landings, MinimumLandings };
inline constexpr int kCarriedKeys = 9;
inline constexpr std::array<CarriedKey, kCarriedKeys> kAllCarriedKeys = {
    CarriedKey::Flights,    CarriedKey::Total,    CarriedKey::Hood,
    CarriedKey::Smu,        CarriedKey::Clouds,   CarriedKey::TakeOffs,
    CarriedKey::Approaches, CarriedKey::Landings, CarriedKey::MinimumLandings};

// The key as the file writes it ("полёты", "налёт", "шторка", "СМУ", "облака", "взлёты УМП", "заходы",
// "посадки", "посадки УМП"); the night part is the same key followed by "ночью".
QString carriedKeyText(CarriedKey key);
bool isTimeKey(CarriedKey key);
// The night part's suffix of a key.
inline const QString kNightWord = QStringLiteral("ночью");

// One value of the file: the whole (day and night together) and the part of it flown at night, when given.
struct CarriedValue {
    std::optional<long long> whole; // a count, or whole minutes for a time
    std::optional<long long> night;
};

// The flying of one type before the logbook.
struct CarriedType {
    QString type;
    std::array<CarriedValue, kCarriedKeys> values;

    const CarriedValue& operator[](CarriedKey k) const { return values[std::size_t(k)]; }
    CarriedValue& operator[](CarriedKey k) { return values[std::size_t(k)]; }
    // What goes into the day's and the night's totals: the night part as given, the day part the whole
    // less it; a key without a night line is flown by day, one with only a night line only at night.
    RecordValues day() const;
    RecordValues night() const;
    bool isEmpty() const;
};

struct CarriedFlying {
    bool found = false; // the file exists
    QList<CarriedType> types;

    // The type's flying; nothing when the file does not name it.
    const CarriedType* of(const QString& type) const;
};

// The file's text line by line: "[ТИП]" starting a type's values, "КЛЮЧ = ЗНАЧЕНИЕ" or
// "КЛЮЧ ночью = ЗНАЧЕНИЕ" (the key as carriedKeyText names it, case, "ё" and spaces aside), "#" or ";"
// starting a comment. A count is a whole number from 0 to kMostCarriedCount, a time hours and minutes
// "h:mm" (minutes 00..59, hours up to kMostCarriedHours). Any other line, a value before the first type,
// a type or a key given twice, or a night part above its whole is refused: Error::BadEntry naming the
// line's number and its text, so that flying the pilot meant is never silently dropped.
CarriedFlying parseCarriedFlying(const QString& text);
// The file at `path`: not found when it does not exist; refused as the limits file is when it is no
// regular file, over 1 MiB or unreadable, and parseCarriedFlying's refusal naming the file.
CarriedFlying readCarriedFlying(const QString& path);
// The file's text for `types` as the window writes it: a heading line, then each type with the keys it
// gives, in the order of kAllCarriedKeys; parseCarriedFlying reads it back as it was.
QString carriedFlyingText(const QList<CarriedType>& types);

inline constexpr long long kMostCarriedCount = 999999;
inline constexpr long long kMostCarriedHours = 99999;

// A value as the file and the window write it: a count as its number, a time as h:mm.
QString carriedValueText(CarriedKey key, long long value);
// A value typed for `key` as the file reads it; nothing when it is not one.
std::optional<long long> carriedValueOf(CarriedKey key, const QString& text);

} // namespace korv::totals
