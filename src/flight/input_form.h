#pragma once

// The state of the flight-shift input form.

#include <QString>
#include <QStringList>

namespace korv::flight {

// A result box of the input form: an ordinary text box the calculation fills and shows or hides.
struct ResultBox {
    QString text;
    bool visible = false;

    friend bool operator==(const ResultBox&, const ResultBox&) = default;
};

// The state of the flight-shift input form frmSMU, as its controls hold it. The widgets mirror this;
// the calculation and the record writer read and write only this.
struct InputForm {
    QString cboTyp;
    QString txtTpolChas = QStringLiteral("0");
    QString txtTpolMin;
    QString txtBal;
    QString txtHn;
    QString txtHv;
    QString txtVidKm;
    QString txtVidSm;
    bool optDSMU = false;
    bool optNSMU = false;
    QString txtShtorkaZ;
    QString txtShtorkaO;
    QString txtHpol;
    QString txtHmin;
    QString txtDate;
    QString txtPol;
    bool optForward = false;
    bool optBack = false;
    QString txtUpr;
    bool optPrivate = false;
    bool optTeacher = false;
    bool optGavno = false;
    QString cboSys;
    QString txtZah;
    QString txtPos;
    QString txtVzl;

    ResultBox txtZakKab;
    ResultBox txtObl;
    ResultBox txtSMU;
    ResultBox txtUMP;

    bool cmdOKEnabled = false;
    bool cmdWriteEnabled = false;

    friend bool operator==(const InputForm&, const InputForm&) = default;
};

// The form with its result boxes and buttons blanked: what the pilot typed and chose, and nothing the
// calculation showed.
inline InputForm inputsOf(InputForm form) {
    form.txtZakKab = form.txtObl = form.txtSMU = form.txtUMP = ResultBox{};
    form.cmdOKEnabled = form.cmdWriteEnabled = false;
    return form;
}

// The type list of cboTyp; the reference tables are chosen by position in it.
inline const QStringList kAircraftTypes = {QStringLiteral("Л-39"),  QStringLiteral("Су-24"),  QStringLiteral("Су-25"),
                                           QStringLiteral("Су-27"), QStringLiteral("МиГ-29"), QStringLiteral("МиГ-31")};
// The table-name suffix of each type, in the same order.
inline const QStringList kTypeSuffixes = {QStringLiteral("L39"),  QStringLiteral("Su24"),  QStringLiteral("Su25"),
                                          QStringLiteral("Su27"), QStringLiteral("MiG29"), QStringLiteral("MiG31")};
// The list of cboSys.
inline const QStringList kLandingSystems = {QStringLiteral("ОСП"), QStringLiteral("РСП"), QStringLiteral("РМС-Р"),
                                            QStringLiteral("РМС-Д"), QStringLiteral("РМС-А")};

} // namespace korv::flight
