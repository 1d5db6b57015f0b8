#pragma once

// Conversions of dispatch and property-bag values to the types of control properties.

#include "controls/host/controlerror.h"
#include "controls/host/olecolor.h"

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <cmath>
#include <cstdint>
#include <optional>

// Conversions of dispatch and property-bag values. Controls receive QVariant values from any caller
// (the program late-bound, a container typing text, a saved bag), so each property converts its
// argument with the rules of its type: whole numbers round halves to the even neighbour, a value
// outside the property's range is an overflow (6), a value of another kind is a type mismatch (13).
namespace korv::host {

inline double roundHalfEven(double v) {
    if (std::fabs(v - std::trunc(v)) == 0.5)
        return 2.0 * std::round(v / 2.0);
    return std::round(v);
}

// A number written as text: decimal (point or comma) or hexadecimal "&H...".
inline std::optional<double> numberFromText(QString s) {
    s = s.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    if (s.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        bool ok = false;
        const qulonglong u = s.mid(2).toULongLong(&ok, 16);
        if (!ok || u > 0xFFFFFFFFull)
            return std::nullopt;
        return static_cast<double>(u);
    }
    bool ok = false;
    double d = s.toDouble(&ok);
    if (!ok)
        d = QString(s).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return d;
}

inline double toNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? -1.0 : 0.0; // True is -1 in the automation world
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::QString:
        if (const auto d = numberFromText(v.toString()))
            return *d;
        throw ControlError::typeMismatch(QStringLiteral("\"") + v.toString() + QStringLiteral("\""));
    default:
        throw ControlError::typeMismatch(QString::fromLatin1(v.typeName() ? v.typeName() : "Empty"));
    }
}

inline std::int16_t toInt16(const QVariant& v) {
    const double d = roundHalfEven(toNumber(v));
    if (std::isnan(d) || d < -32768.0 || d > 32767.0)
        throw ControlError::overflow();
    return static_cast<std::int16_t>(d);
}

inline std::int32_t toInt32(const QVariant& v) {
    const double d = roundHalfEven(toNumber(v));
    if (std::isnan(d) || d < -2147483648.0 || d > 2147483647.0)
        throw ControlError::overflow();
    return static_cast<std::int32_t>(d);
}

// Colours arrive as signed 32-bit values from some callers (&H8000000F is negative there) and as
// unsigned ones from others; both mean the same bit pattern.
inline OleColor toOleColor(const QVariant& v) {
    const double d = roundHalfEven(toNumber(v));
    if (std::isnan(d) || d < -2147483648.0 || d > 4294967295.0)
        throw ControlError::overflow();
    if (d < 0)
        return static_cast<OleColor>(static_cast<std::int32_t>(d));
    return static_cast<OleColor>(d);
}

inline bool toBool(const QVariant& v) {
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return toNumber(v) != 0.0;
}

inline QString toText(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::UnknownType:
        return {};
    default:
        if (v.canConvert<double>() && v.typeId() != QMetaType::QFont && v.typeId() != QMetaType::QImage &&
            v.typeId() != QMetaType::QPixmap)
            return v.toString();
        throw ControlError::typeMismatch(QString::fromLatin1(v.typeName()));
    }
}

// A font object, or its text form as QFont::toString() writes it.
inline QFont toFont(const QVariant& v) {
    if (v.typeId() == QMetaType::QFont)
        return v.value<QFont>();
    if (v.typeId() == QMetaType::QString) {
        QFont f;
        if (f.fromString(v.toString()))
            return f;
    }
    throw ControlError::typeMismatch(QStringLiteral("ожидается шрифт"));
}

// A picture object: an image, a pixmap, nothing (no picture), or the name of a picture file.
inline QImage toPicture(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::QImage:
        return v.value<QImage>();
    case QMetaType::QPixmap:
        return v.value<QPixmap>().toImage();
    case QMetaType::QString: {
        const QString name = v.toString();
        if (name.isEmpty())
            return {};
        QImage img(name);
        if (img.isNull())
            throw ControlError::invalidPicture(name);
        return img;
    }
    default:
        throw ControlError::typeMismatch(QStringLiteral("ожидается изображение"));
    }
}

inline QVariant int16Variant(std::int16_t v) { return QVariant::fromValue<short>(v); }
inline QVariant colorVariant(OleColor c) { return QVariant::fromValue<uint>(c); }
inline QVariant pictureVariant(const QImage& img) { return img.isNull() ? QVariant() : QVariant(img); }

} // namespace korv::host
