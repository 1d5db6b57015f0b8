#include "totals/import_mapping.h"

#include "common/error.h"
#include "common/kept_file.h"
#include "logbook/cells.h"
#include "totals/kept_lines.h"
#include "totals/record_export.h"

#include <QRegularExpression>
#include <QSaveFile>

#include <functional>

namespace korv::totals {

namespace {

// A header word as the guesses compare it: lower case, ё as е, every sign but letters and digits a space.
QString normalised(const QString& text) {
    QString out;
    for (QChar c : text.toLower()) {
        if (c == u'ё')
            c = u'е';
        out += c.isLetterOrNumber() ? c : QChar(u' ');
    }
    return out.simplified();
}

bool has(const QString& s, const char* part) { return s.contains(QString::fromUtf8(part)); }
bool word(const QString& s, const char* w) { return s.split(u' ').contains(QString::fromUtf8(w)); }

struct Guess {
    ImportField field;
    std::function<bool(const QString&)> names;
};

// The more particular first: "посадок при минимуме" before "посадок", "система захода" before "заходов",
// the clouds' top and base before the clouds, the parts of the flight time before the flight time.
const QList<Guess>& guesses() {
    static const QList<Guess> list = {
        {ImportField::MinimumLandings,
         [](const QString& s) {
             return (has(s, "посад") && has(s, "миним")) || word(s, "умп") || (has(s, "landing") && has(s, "minim"));
         }},
        {ImportField::TakeOffs,
         [](const QString& s) {
             return (has(s, "взлет") && has(s, "миним")) || ((has(s, "take") || has(s, "takeoff")) && has(s, "minim"));
         }},
        {ImportField::Landings, [](const QString& s) { return has(s, "посад") || has(s, "landing"); }},
        {ImportField::System, [](const QString& s) { return has(s, "систем") || has(s, "system"); }},
        {ImportField::Approaches, [](const QString& s) { return has(s, "заход") || has(s, "approach"); }},
        {ImportField::Hood,
         [](const QString& s) { return has(s, "закрыт") || has(s, "шторк") || has(s, "hood") || has(s, "blind"); }},
        {ImportField::Smu,
         [](const QString& s) { return word(s, "сму") || word(s, "imc") || has(s, "complex") || has(s, "сложн"); }},
        {ImportField::CloudTop, [](const QString& s) { return has(s, "верх") || word(s, "top"); }},
        {ImportField::CloudBase,
         [](const QString& s) { return has(s, "нижн") || word(s, "base") || has(s, "ceiling") || has(s, "основан"); }},
        {ImportField::Visibility, [](const QString& s) { return has(s, "видим") || has(s, "visib"); }},
        {ImportField::CloudAmount,
         [](const QString& s) {
             return has(s, "облачн") || has(s, "балл") || has(s, "метеоусл") || has(s, "cover") || has(s, "amount") ||
                    has(s, "weather");
         }},
        {ImportField::Clouds, [](const QString& s) { return has(s, "облак") || has(s, "cloud"); }},
        {ImportField::Altitude,
         [](const QString& s) { return has(s, "высот") || has(s, "altitude") || has(s, "height"); }},
        {ImportField::DayNight,
         [](const QString& s) {
             return has(s, "сут") || s == QStringLiteral("д н") || word(s, "день") || word(s, "ночь") ||
                    word(s, "day") || word(s, "night");
         }},
        {ImportField::Seat, [](const QString& s) { return has(s, "сиден") || has(s, "место") || has(s, "seat"); }},
        {ImportField::Exercise,
         [](const QString& s) { return has(s, "упражн") || word(s, "упр") || has(s, "exercise") || has(s, "задан"); }},
        {ImportField::Flights,
         [](const QString& s) {
             return word(s, "полетов") || has(s, "кол во полет") || has(s, "число полет") || word(s, "flights") ||
                    has(s, "sorties");
         }},
        {ImportField::Total,
         [](const QString& s) {
             return has(s, "налет") || has(s, "время полет") || has(s, "total") || has(s, "flight time") ||
                    word(s, "hours") || has(s, "duration");
         }},
        {ImportField::Type,
         [](const QString& s) {
             return word(s, "тип") || has(s, "самолет") || word(s, "type") || has(s, "aircraft") || word(s, "ла");
         }},
        {ImportField::Date, [](const QString& s) { return has(s, "дата") || word(s, "date"); }},
    };
    return list;
}

const QString kTimeKey = QStringLiteral("время");

// A time with a point or a comma and its digits after it, as a text: "1.25" gives "25".
std::optional<QString> fractionDigits(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\d+[.,](\\d+)$"));
    const auto m = form.match(text.trimmed());
    return m.hasMatch() ? std::optional<QString>(m.captured(1)) : std::nullopt;
}

} // namespace

QString fieldName(ImportField field) { return exportHeader().at(int(field)); }

QString timeStyleName(TimeStyle style) {
    switch (style) {
    case TimeStyle::HoursDotMinutes:
        return QStringLiteral("ч.мм");
    case TimeStyle::DecimalHours:
        return QStringLiteral("часы с долями");
    }
    return {};
}

Mapping guessMapping(const QStringList& header) {
    Mapping m;
    const QStringList own = exportHeader();
    const auto sameStart = [&](int n) {
        if (header.size() < n)
            return false;
        for (int i = 0; i < n; ++i)
            if (header[i].trimmed() != own[i])
                return false;
        return true;
    };
    for (const int n : {kImportFields, int(ImportField::MinimumLandings) + 1}) {
        if (sameStart(n)) {
            for (int i = 0; i < n; ++i)
                m.column[std::size_t(i)] = i;
            m.ownExport = true;
            return m;
        }
    }
    QList<QString> words;
    for (const QString& h : header)
        words << normalised(h);
    QList<bool> taken(header.size(), false);
    for (const Guess& g : guesses()) {
        for (int c = 0; c < header.size(); ++c) {
            if (!taken[c] && !words[c].isEmpty() && g.names(words[c])) {
                m.column[std::size_t(g.field)] = c;
                taken[c] = true;
                break;
            }
        }
    }
    return m;
}

TimeStyle guessTimeStyle(const ImportTable& table, const Mapping& mapping) {
    for (const ImportField f : {ImportField::Total, ImportField::Hood, ImportField::Smu, ImportField::Clouds}) {
        const int c = mapping[f];
        if (c < 0)
            continue;
        for (const QVariantList& row : table.rows) {
            const QVariant cell = logbook::cellAt(row, c);
            if (cell.typeId() != QMetaType::QString)
                continue; // a workbook's time value reads the same in either style
            const auto digits = fractionDigits(cell.toString());
            if (digits && (digits->size() != 2 || digits->toInt() > 59))
                return TimeStyle::DecimalHours;
        }
    }
    return TimeStyle::HoursDotMinutes;
}

QString mappingFileText(const Mapping& mapping, const QStringList& header) {
    QString out = QStringLiteral("# Какой столбец старых записей какое поле лётной книжки: поле = заголовок столбца\n");
    for (int i = 0; i < kImportFields; ++i) {
        const int c = mapping.column[std::size_t(i)];
        if (c >= 0 && c < header.size())
            out += fieldName(ImportField(i)) + QStringLiteral(" = ") + header[c] + u'\n';
    }
    out += kTimeKey + QStringLiteral(" = ") + timeStyleName(mapping.times) + u'\n';
    return out;
}

Mapping readMappingFileAt(const QString& path, const QStringList& header) {
    const std::optional<QByteArray> bytes = readKeptFile(path, {QStringLiteral("Файл соответствия столбцов"), 1 << 20,
                                                                QString(), QStringLiteral("это несколько строк.")});
    if (!bytes)
        throw Error(Error::FileNotFound, QStringLiteral("Файл соответствия столбцов не найден: ") + path);
    return readMappingFile(QString::fromUtf8(*bytes), header);
}

void writeMappingFile(const QString& path, const Mapping& mapping, const QStringList& header) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(mappingFileText(mapping, header).toUtf8()) < 0 || !f.commit())
        throw Error(Error::FileAccess,
                    QStringLiteral("Файл соответствия столбцов не записан: %1 (%2)").arg(path, f.errorString()));
}

Mapping readMappingFile(const QString& text, const QStringList& header) {
    Mapping m;
    QList<bool> named(kImportFields, false);
    const auto refuse = [](int line, const QString& raw, const QString& why) {
        return Error(
            Error::BadEntry,
            QStringLiteral("Файл соответствия, строка %1 «%2»: %3.").arg(line).arg(raw.trimmed().left(60), why));
    };
    for (const auto& [number, line] : keptLines(text)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            throw refuse(number, line, QStringLiteral("нужно «поле = заголовок столбца»"));
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == kTimeKey) {
            if (value == timeStyleName(TimeStyle::HoursDotMinutes))
                m.times = TimeStyle::HoursDotMinutes;
            else if (value == timeStyleName(TimeStyle::DecimalHours))
                m.times = TimeStyle::DecimalHours;
            else
                throw refuse(number, line, QStringLiteral("время пишется «ч.мм» или «часы с долями»"));
            m.timesGiven = true;
            continue;
        }
        int field = -1;
        for (int i = 0; i < kImportFields; ++i)
            if (fieldName(ImportField(i)) == key)
                field = i;
        if (field < 0)
            throw refuse(number, line, QStringLiteral("нет такого поля лётной книжки"));
        if (named[field])
            throw refuse(number, line, QStringLiteral("поле названо второй раз"));
        named[field] = true;
        int column = -1;
        for (int c = 0; c < header.size(); ++c)
            if (header[c].trimmed() == value) {
                column = c;
                break;
            }
        if (column < 0)
            throw refuse(number, line, QStringLiteral("в заголовке файла нет столбца «%1»").arg(value));
        m.column[std::size_t(field)] = column;
    }
    return m;
}

} // namespace korv::totals
