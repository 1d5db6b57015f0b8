#pragma once

// The input form's fields, once: the name of each control (and the key the CLI's JSON gives it), the
// member of InputForm it holds, its kind, whether a change runs RefreshInputState, and how messages name
// it. The form binds its widgets by this table, the CLI reads its JSON by it, and the calculation names a
// box it could not read by it.

#include "flight/input_form.h"

#include <QString>
#include <QStringView>

#include <array>

namespace korv::flight {

enum class FieldKind {
    Text,   // a text box
    List,   // a drop-down list (its text)
    Option, // an option button; the options of one group exclude each other
};

struct InputField {
    const char* name;
    FieldKind kind;
    QString InputForm::*text = nullptr; // Text and List
    bool InputForm::*option = nullptr;  // Option
    // A change runs RefreshInputState: for an option, choosing it (unchoosing is no click).
    bool refreshes = false;
    int group = -1; // Option: 0 day/night, 1 seat, 2 flight kind
    const char* caption = "";
};

namespace field {
constexpr InputField text(const char* name, QString InputForm::*m, bool refreshes, const char* caption) {
    return {name, FieldKind::Text, m, nullptr, refreshes, -1, caption};
}
constexpr InputField list(const char* name, QString InputForm::*m, bool refreshes, const char* caption) {
    return {name, FieldKind::List, m, nullptr, refreshes, -1, caption};
}
constexpr InputField option(const char* name, bool InputForm::*m, int group, const char* caption) {
    // Choosing day/night or a seat runs the refresh; the flight kind does not.
    return {name, FieldKind::Option, nullptr, m, group < 2, group, caption};
}
} // namespace field

// In the order of the form.
inline constexpr std::array<InputField, 26> kInputFields = {
    field::list("cboTyp", &InputForm::cboTyp, true, "тип самолёта"),
    field::text("txtTpolChas", &InputForm::txtTpolChas, true, "налёт, ч"),
    field::text("txtTpolMin", &InputForm::txtTpolMin, true, "налёт, мин"),
    field::text("txtBal", &InputForm::txtBal, true, "облачность, баллов"),
    field::text("txtHn", &InputForm::txtHn, true, "облачность, Нн"),
    field::text("txtHv", &InputForm::txtHv, false, "облачность, Нв"),
    field::text("txtVidKm", &InputForm::txtVidKm, true, "видимость, км"),
    field::text("txtVidSm", &InputForm::txtVidSm, false, "видимость, десятые км"),
    field::option("optDSMU", &InputForm::optDSMU, 0, "полёты днём"),
    field::option("optNSMU", &InputForm::optNSMU, 0, "полёты ночью"),
    field::text("txtShtorkaZ", &InputForm::txtShtorkaZ, true, "шторка, высота закрытия"),
    field::text("txtShtorkaO", &InputForm::txtShtorkaO, true, "шторка, высота открытия"),
    field::text("txtHpol", &InputForm::txtHpol, true, "высота полёта, макс."),
    field::text("txtHmin", &InputForm::txtHmin, false, "высота полёта, мин."),
    field::text("txtDate", &InputForm::txtDate, false, "число"),
    field::text("txtPol", &InputForm::txtPol, false, "полётов"),
    field::option("optForward", &InputForm::optForward, 1, "сидение переднее"),
    field::option("optBack", &InputForm::optBack, 1, "сидение заднее"),
    field::text("txtUpr", &InputForm::txtUpr, false, "№ упр."),
    field::option("optPrivate", &InputForm::optPrivate, 2, "полёт на себя"),
    field::option("optTeacher", &InputForm::optTeacher, 2, "полёт инструкторский"),
    field::option("optGavno", &InputForm::optGavno, 2, "полёт в составе экипажа"),
    field::list("cboSys", &InputForm::cboSys, false, "посадочная система"),
    field::text("txtZah", &InputForm::txtZah, false, "заходов с системой"),
    field::text("txtPos", &InputForm::txtPos, false, "посадок с системой"),
    field::text("txtVzl", &InputForm::txtVzl, false, "взлётов при минимуме"),
};

// How messages name the box of a member; a member that is no box of the table does not compile.
consteval const char* captionOf(QString InputForm::*member) {
    for (const InputField& f : kInputFields)
        if (f.text == member)
            return f.caption;
    throw "not a box of the input form";
}

// The field named `name`, or nothing.
inline const InputField* fieldNamed(QStringView name) {
    for (const InputField& f : kInputFields)
        if (name == QLatin1String(f.name))
            return &f;
    return nullptr;
}

} // namespace korv::flight
