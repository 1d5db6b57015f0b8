#pragma once

// Conversions between Qt and UNO types shared by the host's UNO files.

#include "spreadsheet/a1_address.h"

#include <QFileInfo>
#include <QString>
#include <QUrl>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <initializer_list>
#include <rtl/ustring.hxx>

namespace korv::logbook::detail {

inline rtl::OUString toOU(const QString& s) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size());
}
inline QString toQ(const rtl::OUString& s) {
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}

inline QString fileUrl(const QString& path) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}
inline QString localPathOfUrl(const QString& url) {
    const QUrl u(url);
    return u.isLocalFile() ? QFileInfo(u.toLocalFile()).absoluteFilePath() : QString();
}

template <class T>
com::sun::star::uno::Sequence<T> seqOf(std::initializer_list<T> items) {
    com::sun::star::uno::Sequence<T> s(sal_Int32(items.size()));
    sal_Int32 i = 0;
    for (const T& t : items)
        s.getArray()[i++] = t;
    return s;
}

inline com::sun::star::beans::PropertyValue prop(const char* name, const com::sun::star::uno::Any& value) {
    com::sun::star::beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

inline CellBlock blockOf(const com::sun::star::table::CellRangeAddress& a) {
    return {int(a.StartRow), int(a.StartColumn), int(a.EndRow), int(a.EndColumn)};
}
inline QString a1Of(const com::sun::star::table::CellRangeAddress& a) { return a1(blockOf(a)); }

} // namespace korv::logbook::detail
