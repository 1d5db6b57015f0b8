#include "bagtextfile.h"

#include "controls/host/controlerror.h"

#include <QBuffer>
#include <QFile>
#include <QStringList>

using korv::host::ControlError;
using korv::host::MemoryPropertyBag;

namespace container {

namespace {

QString quote(const QString& s) {
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            out += c;
        }
    }
    return out + QLatin1Char('"');
}

QString unquote(const QString& s) {
    if (s.size() < 2 || !s.startsWith(QLatin1Char('"')) || !s.endsWith(QLatin1Char('"')))
        throw ControlError::typeMismatch(QStringLiteral("строка без кавычек: ") + s);
    QString out;
    for (int i = 1; i < s.size() - 1; ++i) {
        QChar c = s[i];
        if (c == QLatin1Char('\\') && i + 1 < s.size() - 1) {
            const QChar n = s[++i];
            switch (n.unicode()) {
            case 'n':
                c = QLatin1Char('\n');
                break;
            case 'r':
                c = QLatin1Char('\r');
                break;
            case 't':
                c = QLatin1Char('\t');
                break;
            default:
                c = n;
            }
        }
        out += c;
    }
    return out;
}

QString pictureToText(const QImage& img) {
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

QImage pictureFromText(const QString& s) {
    const QString prefix = QStringLiteral("data:image/png;base64,");
    if (!s.startsWith(prefix))
        throw ControlError::invalidPicture(s.left(40));
    QImage img;
    if (!img.loadFromData(QByteArray::fromBase64(s.mid(prefix.size()).toLatin1()), "PNG"))
        throw ControlError::invalidPicture();
    return img;
}

} // namespace

QString valueToText(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("empty");
    case QMetaType::Short:
        return QStringLiteral("i16 ") + QString::number(v.value<short>());
    case QMetaType::Int:
        return QStringLiteral("i32 ") + QString::number(v.toInt());
    case QMetaType::UInt:
        return QStringLiteral("colour &H") + QStringLiteral("%1").arg(v.toUInt(), 8, 16, QLatin1Char('0')).toUpper();
    case QMetaType::Bool:
        return QStringLiteral("bool ") + (v.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
    case QMetaType::QString:
        return QStringLiteral("str ") + quote(v.toString());
    case QMetaType::QFont:
        return QStringLiteral("font ") + quote(v.value<QFont>().toString());
    case QMetaType::QImage:
        return v.value<QImage>().isNull() ? QStringLiteral("empty")
                                          : QStringLiteral("picture ") + pictureToText(v.value<QImage>());
    case QMetaType::QPixmap:
        return valueToText(v.value<QPixmap>().toImage());
    default:
        if (v.canConvert<double>())
            return QStringLiteral("num ") + QString::number(v.toDouble(), 'g', 17);
        throw ControlError::typeMismatch(QString::fromLatin1(v.typeName()));
    }
}

QVariant valueFromText(const QString& kindAndValue) {
    const QString t = kindAndValue.trimmed();
    const int sp = t.indexOf(QLatin1Char(' '));
    const QString kind = sp < 0 ? t : t.left(sp);
    const QString rest = sp < 0 ? QString() : t.mid(sp + 1).trimmed();
    bool ok = true;
    QVariant out;
    if (kind == QLatin1String("empty")) {
        return {};
    } else if (kind == QLatin1String("i16")) {
        const int n = rest.toInt(&ok);
        ok = ok && n >= -32768 && n <= 32767;
        out = QVariant::fromValue<short>(short(n));
    } else if (kind == QLatin1String("i32")) {
        out = QVariant::fromValue<int>(rest.toInt(&ok));
    } else if (kind == QLatin1String("num")) {
        out = rest.toDouble(&ok);
    } else if (kind == QLatin1String("colour")) {
        ok = rest.startsWith(QLatin1String("&H"), Qt::CaseInsensitive);
        const uint c = ok ? rest.mid(2).toUInt(&ok, 16) : 0;
        out = QVariant::fromValue<uint>(c);
    } else if (kind == QLatin1String("bool")) {
        ok = rest == QLatin1String("True") || rest == QLatin1String("False");
        out = rest == QLatin1String("True");
    } else if (kind == QLatin1String("str")) {
        out = unquote(rest);
    } else if (kind == QLatin1String("font")) {
        QFont f;
        ok = f.fromString(unquote(rest));
        out = f;
    } else if (kind == QLatin1String("picture")) {
        out = pictureFromText(rest);
    } else {
        ok = false;
    }
    if (!ok)
        throw ControlError::typeMismatch(t);
    return out;
}

QString bagToText(const MemoryPropertyBag& bag) {
    QString out;
    for (const auto& e : bag.entries())
        out += e.first + QStringLiteral(" = ") + valueToText(e.second) + QLatin1Char('\n');
    return out;
}

MemoryPropertyBag bagFromText(const QString& text) {
    MemoryPropertyBag bag;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw ControlError::typeMismatch(QStringLiteral("строка %1: нет \"=\"").arg(i + 1));
        try {
            bag.set(line.left(eq).trimmed(), valueFromText(line.mid(eq + 1)));
        } catch (const ControlError& e) {
            throw ControlError(e.number(), QStringLiteral("строка %1: ").arg(i + 1) + e.description());
        }
    }
    return bag;
}

void saveBagFile(const QString& path, const MemoryPropertyBag& bag) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw ControlError(75, QStringLiteral("Не удаётся записать файл ") + path);
    f.write(bagToText(bag).toUtf8());
}

MemoryPropertyBag loadBagFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw ControlError(53, QStringLiteral("Файл не найден: ") + path);
    return bagFromText(QString::fromUtf8(f.readAll()));
}

} // namespace container
