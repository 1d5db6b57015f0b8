#include "totals/carried_flying.h"

#include "common/error.h"
#include "common/kept_file.h"
#include "common/numtext.h"
#include "totals/kept_lines.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace korv::totals {

namespace {

constexpr qint64 kMostCarriedBytes = 1 << 20;

struct KeyName {
    CarriedKey key;
    bool night;
};

std::optional<KeyName> keyNamed(const QString& name) {
    QString key = folded(name);
    bool night = false;
    const QString nightWord = folded(kNightWord);
    if (key.endsWith(u' ' + nightWord)) {
        night = true;
        key.chop(nightWord.size() + 1);
    }
    for (const CarriedKey k : kAllCarriedKeys) {
        if (folded(carriedKeyText(k)) == key)
            return KeyName{k, night};
    }
    return std::nullopt;
}

QString keyList() {
    QStringList names;
    for (const CarriedKey k : kAllCarriedKeys)
        names << QStringLiteral("«") + carriedKeyText(k) + QStringLiteral("»");
    return names.join(QStringLiteral(", "));
}

[[noreturn]] void refuseLine(int line, const QString& text, const QString& what) {
    throw Error(Error::BadEntry, QStringLiteral("строка %1 («%2»): %3").arg(line).arg(text.left(60), what));
}

long long partOf(const CarriedValue& v, bool night) {
    const long long n = v.night.value_or(0);
    if (night)
        return n;
    return v.whole ? *v.whole - n : 0;
}

RecordValues valuesOf(const CarriedType& t, bool night) {
    RecordValues r;
    const auto part = [&](CarriedKey k) { return partOf(t[k], night); };
    r.flights = double(part(CarriedKey::Flights));
    r.total = Minutes(int(part(CarriedKey::Total)));
    r.hood = Minutes(int(part(CarriedKey::Hood)));
    r.smu = Minutes(int(part(CarriedKey::Smu)));
    r.clouds = Minutes(int(part(CarriedKey::Clouds)));
    r.takeOffs = double(part(CarriedKey::TakeOffs));
    r.approaches = part(CarriedKey::Approaches);
    r.landings = part(CarriedKey::Landings);
    r.minimumLandings = part(CarriedKey::MinimumLandings);
    return r;
}

} // namespace

QString carriedPath(const QString& bookDir) { return QDir(bookDir).filePath(kCarriedFileName); }

QString carriedKeyText(CarriedKey key) {
    switch (key) {
    case CarriedKey::Flights:
        return QStringLiteral("полёты");
    case CarriedKey::Total:
        return QStringLiteral("налёт");
    case CarriedKey::Hood:
        return QStringLiteral("шторка");
    case CarriedKey::Smu:
        return QStringLiteral("СМУ");
    case CarriedKey::Clouds:
        return QStringLiteral("облака");
    case CarriedKey::TakeOffs:
        return QStringLiteral("взлёты УМП");
    case CarriedKey::Approaches:
        return QStringLiteral("заходы");
    case CarriedKey::Landings:
        return QStringLiteral("посадки");
    case CarriedKey::MinimumLandings:
        return QStringLiteral("посадки УМП");
    }
    return {};
}

bool isTimeKey(CarriedKey key) {
    return key == CarriedKey::Total || key == CarriedKey::Hood || key == CarriedKey::Smu || key == CarriedKey::Clouds;
}

RecordValues CarriedType::day() const { return valuesOf(*this, false); }
RecordValues CarriedType::night() const { return valuesOf(*this, true); }

bool CarriedType::isEmpty() const {
    return std::all_of(values.begin(), values.end(),
                       [](const CarriedValue& v) { return v.whole.value_or(0) == 0 && v.night.value_or(0) == 0; });
}

const CarriedType* CarriedFlying::of(const QString& type) const {
    for (const CarriedType& t : types)
        if (t.type == type)
            return &t;
    return nullptr;
}

QString carriedValueText(CarriedKey key, long long value) {
    return isTimeKey(key) ? hoursMinutesText(Minutes(int(value))) : QString::number(value);
}

std::optional<long long> carriedValueOf(CarriedKey key, const QString& text) {
    const QString t = text.trimmed();
    if (!isTimeKey(key)) {
        const auto n = wholeNumber(t);
        if (!n || *n < 0 || *n > kMostCarriedCount || t.startsWith(u'+') || t.startsWith(u'-'))
            return std::nullopt;
        return *n;
    }
    // Hours and minutes only: "310.50" may be decimal hours in an old logbook as well as H.MM, and a time
    // read the wrong way is worse than a refusal.
    static const QRegularExpression hm(QStringLiteral("^(\\d{1,5}):([0-5]\\d)$"));
    const auto m = hm.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const long long hours = m.captured(1).toLongLong();
    if (hours > kMostCarriedHours)
        return std::nullopt;
    return hours * 60 + m.captured(2).toLongLong();
}

CarriedFlying parseCarriedFlying(const QString& text) {
    CarriedFlying flying;
    flying.found = true;
    CarriedType* current = nullptr;
    // Where each key of the current type was given, to name both lines of a night part above its whole.
    std::array<int, kCarriedKeys> wholeLine{}, nightLine{};
    const QStringList lines = text.split(u'\n');
    const auto checkType = [&] {
        if (!current)
            return;
        for (const CarriedKey k : kAllCarriedKeys) {
            const CarriedValue& v = (*current)[k];
            if (v.whole && v.night && *v.night > *v.whole)
                refuseLine(nightLine[std::size_t(k)], lines[nightLine[std::size_t(k)] - 1].trimmed(),
                           QStringLiteral("«%1 ночью» больше, чем «%1» всего (строка %2)")
                               .arg(carriedKeyText(k))
                               .arg(wholeLine[std::size_t(k)]));
        }
    };
    for (const auto& [number, line] : keptLines(text)) {
        if (const auto heading = headingOf(line)) {
            if (heading->isEmpty())
                refuseLine(number, line, QStringLiteral("заголовок типа пишется в скобках: [Л-39]"));
            checkType();
            const QString& type = *heading;
            if (folded(type) == u"все типы")
                refuseLine(number, line,
                           QStringLiteral("налёт до книжки пишется по типам; сумму всех типов итоги считают сами"));
            if (flying.of(type))
                refuseLine(number, line, QStringLiteral("тип %1 уже описан выше").arg(type));
            flying.types.append(CarriedType{type, {}});
            current = &flying.types.last();
            wholeLine.fill(0);
            nightLine.fill(0);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            refuseLine(number, line, QStringLiteral("нет знака «=»; строка пишется как «налёт = 310:25»"));
        if (!current)
            refuseLine(number, line, QStringLiteral("перед значениями нужен заголовок типа, например [Л-39]"));
        const QString name = line.left(equals).simplified();
        const auto key = keyNamed(name);
        if (!key)
            refuseLine(number, line,
                       QStringLiteral("«%1» неизвестно; бывают %2, каждое и с «ночью»").arg(name, keyList()));
        const QString valueText = line.mid(equals + 1).trimmed();
        const auto value = carriedValueOf(key->key, valueText);
        if (!value)
            refuseLine(
                number, line,
                isTimeKey(key->key)
                    ? QStringLiteral("«%1» — не время; время пишется часами и минутами: 310:25").arg(valueText.left(32))
                    : QStringLiteral("«%1» — не целое число от 0 до %2")
                          .arg(valueText.left(32))
                          .arg(kMostCarriedCount));
        CarriedValue& slot = (*current)[key->key];
        std::optional<long long>& target = key->night ? slot.night : slot.whole;
        if (target)
            refuseLine(number, line, QStringLiteral("«%1» для типа %2 уже задано выше").arg(name, current->type));
        target = *value;
        (key->night ? nightLine : wholeLine)[std::size_t(key->key)] = number;
    }
    checkType();
    return flying;
}

CarriedFlying readCarriedFlying(const QString& path) {
    const std::optional<QByteArray> bytes =
        readKeptFile(path, {QStringLiteral("Файл налёта до начала ведения книжки"), kMostCarriedBytes, QString(),
                            QStringLiteral("это несколько строк на тип.")});
    if (!bytes)
        return {};
    try {
        return parseCarriedFlying(QString::fromUtf8(*bytes));
    } catch (const Error& e) {
        throw Error(Error::BadEntry, QStringLiteral("В файле налёта до начала ведения книжки %1, %2. Исправьте "
                                                    "файл (Итоги, «Налёт до книжки…»).")
                                         .arg(QFileInfo(path).fileName(), e.description()));
    }
}

QString carriedFlyingText(const QList<CarriedType>& types) {
    QString out = QStringLiteral("# Налёт до начала ведения лётной книжки. Время — часы:минуты (310:25);\n"
                                 "# «ночью» после названия — та часть, что налётана ночью, остальное — днём.\n");
    for (const CarriedType& t : types) {
        out += QStringLiteral("\n[") + t.type + QStringLiteral("]\n");
        for (const CarriedKey k : kAllCarriedKeys) {
            const CarriedValue& v = t[k];
            if (v.whole)
                out += carriedKeyText(k) + QStringLiteral(" = ") + carriedValueText(k, *v.whole) + u'\n';
            if (v.night)
                out += carriedKeyText(k) + u' ' + kNightWord + QStringLiteral(" = ") + carriedValueText(k, *v.night) +
                       u'\n';
        }
    }
    return out;
}

} // namespace korv::totals
