// The input form's field table, which the form, the CLI and the calculation's messages share.

#include "flight/input_fields.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace korv::flight;

TEST(InputFields, EveryInputOfTheFormOnceWithItsNameAndCaption) {
    QSet<QString> names, captions;
    QSet<const void*> seen;
    int texts = 0, lists = 0, options = 0;
    for (const InputField& f : kInputFields) {
        EXPECT_FALSE(names.contains(f.name)) << f.name;
        names.insert(f.name);
        const QString caption = QString::fromUtf8(f.caption);
        EXPECT_FALSE(caption.isEmpty()) << f.name;
        EXPECT_FALSE(captions.contains(caption)) << f.name;
        captions.insert(caption);
        EXPECT_EQ(fieldNamed(QString::fromLatin1(f.name)), &f);
        // Exactly one member, of the kind's type.
        EXPECT_EQ(f.kind == FieldKind::Option, f.option != nullptr) << f.name;
        EXPECT_EQ(f.kind != FieldKind::Option, f.text != nullptr) << f.name;
        (f.kind == FieldKind::Text ? texts : f.kind == FieldKind::List ? lists : options)++;
    }
    EXPECT_EQ(texts, 17);
    EXPECT_EQ(lists, 2);
    EXPECT_EQ(options, 7);
    EXPECT_EQ(fieldNamed(u"txtZakKab"), nullptr); // a result box is no input
    EXPECT_EQ(fieldNamed(u"cmdOK"), nullptr);

    // A member is bound once: two fields on one member would overwrite each other.
    InputForm form;
    for (const InputField& f : kInputFields) {
        if (f.text)
            (form.*f.text) = QString::fromLatin1(f.name);
    }
    for (const InputField& f : kInputFields) {
        if (f.text) {
            EXPECT_EQ(form.*f.text, QString::fromLatin1(f.name));
        }
    }
}

TEST(InputFields, ChoosingDayNightOrASeatRefreshesAndTheFlightKindDoesNot) {
    for (const InputField& f : kInputFields) {
        if (f.kind != FieldKind::Option)
            continue;
        EXPECT_EQ(f.refreshes, f.group == 0 || f.group == 1) << f.name;
    }
    // What the refresh reads: the type, the flight time, the clouds, the visibility, the hood, the altitude.
    QStringList refreshing;
    for (const InputField& f : kInputFields) {
        if (f.kind != FieldKind::Option && f.refreshes)
            refreshing << QString::fromLatin1(f.name);
    }
    EXPECT_EQ(refreshing, QStringList({"cboTyp", "txtTpolChas", "txtTpolMin", "txtBal", "txtHn", "txtVidKm",
                                       "txtShtorkaZ", "txtShtorkaO", "txtHpol"}));
    EXPECT_STREQ(captionOf(&InputForm::txtHpol), "высота полёта, макс.");
}
