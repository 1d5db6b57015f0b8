#pragma once

// The worked Л-39 shift the tests start from, as the form holds it and as the CLI reads it: 05.09.04, by
// day, 1 h 25 min, 8 balls of cloud from 600 to 900 m, visibility 10 km, up to 3000 m, one flight from
// the front seat on exercise 7, his own. A test changes what it is about.

#include "flight/input_fields.h"
#include "flight/input_form.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace korv::test {

inline flight::InputForm workedShift() {
    flight::InputForm f;
    f.cboTyp = QStringLiteral("Л-39");
    f.txtTpolChas = QStringLiteral("1");
    f.txtTpolMin = QStringLiteral("25");
    f.txtBal = QStringLiteral("8");
    f.txtHn = QStringLiteral("600");
    f.txtHv = QStringLiteral("900");
    f.txtVidKm = QStringLiteral("10");
    f.txtHpol = QStringLiteral("3000");
    f.txtDate = QStringLiteral("05.09.04");
    f.txtPol = QStringLiteral("1");
    f.txtUpr = QStringLiteral("7");
    f.optDSMU = f.optForward = f.optPrivate = true;
    return f;
}

// The landing system and two approaches and landings with it.
inline flight::InputForm withLandings(flight::InputForm f) {
    f.cboSys = QStringLiteral("ОСП");
    f.txtZah = f.txtPos = QStringLiteral("2");
    return f;
}

// The form as one JSON object of `korvelanta-cli`: every box that holds something other than a new form's
// text, and every chosen option.
inline QByteArray formJson(const flight::InputForm& form) {
    const flight::InputForm blank;
    QJsonObject o;
    for (const flight::InputField& f : flight::kInputFields) {
        if (f.kind == flight::FieldKind::Option) {
            if (form.*f.option)
                o.insert(QLatin1String(f.name), true);
        } else if (form.*f.text != blank.*f.text) {
            o.insert(QLatin1String(f.name), form.*f.text);
        }
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace korv::test
