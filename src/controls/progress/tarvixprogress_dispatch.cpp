// The dispatch interface _TarvixProgress: members, help strings and the argument names of the puts.
#include "controls/host/controlerror.h"
#include "controls/host/convert.h"
#include "controls/progress/tarvixprogress.h"

using namespace korv::host;
using namespace tarvix;

namespace {

MemberInfo prop(DispId id, const char* name, const char* type, const char* help, bool byRef = false) {
    MemberInfo m;
    m.id = id;
    m.name = QString::fromLatin1(name);
    m.kind = MemberInfo::Kind::Property;
    m.type = QString::fromLatin1(type);
    m.helpString = QString::fromUtf8(help);
    m.argumentNames = {QStringLiteral("New_") + m.name};
    m.byReference = byRef;
    return m;
}

} // namespace

QList<MemberInfo> TarvixProgress::members() const {
    MemberInfo about;
    about.id = DispAboutBox;
    about.name = QStringLiteral("AboutBox");
    about.kind = MemberInfo::Kind::Method;
    about.helpString = QStringLiteral("Краткая информация о контроле");
    return {
        about,
        prop(DispValue, "Value", "Integer", "Процент каков он есть..."),
        prop(DispFont, "Font", "Font", "Returns a Font object.", true),
        prop(DispColor, "Color", "OLE_COLOR", "Цвет надписи (только для режима Tarvix)"),
        prop(DispPicture, "Picture", "Picture", "Загрузка рабочей картинки", true),
        prop(DispStretch, "Stretch", "Boolean", "Включает растяжку рабочего рисунка "),
        prop(DispBackPicture, "BackPicture", "Picture", "Загрузка фоновой  картинки", true),
        prop(DispBackStretch, "BackStretch", "Boolean", "Включает растяжку фонового рисунка "),
        prop(DispText, "Text", "String", "Текст, выводимый перед процентом..."),
        prop(DispStyle, "Style", "SetStyle", "Стиль бара: стандартный(0)  или новый(1)"),
        prop(DispBackColor, "BackColor", "OLE_COLOR",
             "Returns/sets the background color used to display text and graphics in an object."),
        prop(DispForeColor, "ForeColor", "OLE_COLOR", "Цвет полоски для режима Standart"),
        prop(DispInvertPersent, "InvertPersent", "Boolean", ""),
        prop(DispMin, "Min", "Integer", "Минимальное значение переменной Value"),
        prop(DispMax, "Max", "Integer", "Максимальное значение переменной Value"),
        prop(DispCaptionVisible, "CaptionVisible", "Boolean", "Показать/скрыть проценты"),
        prop(DispBorderStyle, "BorderStyle", "StetBorderStyle", "Вид окантовки контрола"),
    };
}

QVariant TarvixProgress::get(DispId id) {
    switch (id) {
    case DispValue:
        return int16Variant(value_);
    case DispFont:
        return captionFont();
    case DispColor:
        return colorVariant(color());
    case DispPicture:
        return pictureVariant(picture());
    case DispStretch:
        return stretch();
    case DispBackPicture:
        return pictureVariant(backPicture());
    case DispBackStretch:
        return backStretch();
    case DispText:
        return text_;
    case DispStyle:
        return QVariant::fromValue<int>(style_);
    case DispBackColor:
        return colorVariant(backColor());
    case DispForeColor:
        return colorVariant(foreColor());
    case DispInvertPersent:
        return invert_;
    case DispMin:
        return int16Variant(min_);
    case DispMax:
        return int16Variant(max_);
    case DispCaptionVisible:
        return captionVisible_;
    case DispBorderStyle:
        return int16Variant(borderStyle_);
    default:
        throw ControlError::notSupported(QString::number(id));
    }
}

void TarvixProgress::put(DispId id, const QVariant& v) {
    switch (id) {
    case DispValue:
        setValue(toInt16(v));
        break;
    case DispColor:
        setColor(toOleColor(v));
        break;
    case DispStretch:
        setStretch(toBool(v));
        break;
    case DispBackStretch:
        setBackStretch(toBool(v));
        break;
    case DispText:
        setText(toText(v));
        break;
    case DispStyle:
        setBarStyle(toInt32(v));
        break;
    case DispBackColor:
        setBackColor(toOleColor(v));
        break;
    case DispForeColor:
        setForeColor(toOleColor(v));
        break;
    case DispInvertPersent:
        setInvertPersent(toBool(v));
        break;
    case DispMin:
        setMin(toInt16(v));
        break;
    case DispMax:
        setMax(toInt16(v));
        break;
    case DispCaptionVisible:
        setCaptionVisible(toBool(v));
        break;
    case DispBorderStyle:
        setBorderStyle(toInt16(v));
        break;
    // Object-valued properties take a plain put as well; a late-bound caller rarely tells them apart.
    case DispFont:
    case DispPicture:
    case DispBackPicture:
        putRef(id, v);
        break;
    default:
        throw ControlError::notSupported(QString::number(id));
    }
}

void TarvixProgress::putRef(DispId id, const QVariant& v) {
    switch (id) {
    case DispFont:
        setCaptionFont(toFont(v));
        break;
    case DispPicture:
        setPicture(toPicture(v));
        break;
    case DispBackPicture:
        setBackPicture(toPicture(v));
        break;
    default:
        throw ControlError::notSupported(QString::number(id));
    }
}

QVariant TarvixProgress::invoke(DispId id, QVariantList& args) {
    if (id == DispAboutBox) {
        AboutBox();
        return {};
    }
    // Property access through invoke: no argument reads, one argument writes.
    if (args.isEmpty())
        return get(id);
    put(id, args.front());
    return {};
}
