#include "support/cli_run.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QJsonArray calc(const QByteArray& input) {
    const CliRun r = runCli({"calc"}, input);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QJsonDocument::fromJson(r.out).array();
}

// The worked shift of an hour on exercise 5, with more landings typed than approaches.
const QByteArray kShift = [] {
    korv::flight::InputForm f = korv::test::workedShift();
    f.txtTpolMin = QStringLiteral("0");
    f.txtUpr = QStringLiteral("5");
    f.txtZah = QStringLiteral("1");
    f.txtPos = QStringLiteral("3");
    return korv::test::formJson(f);
}();

} // namespace

TEST(CliCalc, OnePressPerObjectWithTheFormState) {
    const QJsonArray results = calc("[" + kShift + "]");
    ASSERT_EQ(results.size(), 1);
    const QJsonObject r = results[0].toObject();
    EXPECT_TRUE(r["cmdOK"].toObject()["enabled"].toBool());
    EXPECT_TRUE(r["cmdWrite"].toObject()["enabled"].toBool());
    EXPECT_TRUE(r["txtSMU"].toObject()["visible"].toBool());
    EXPECT_FALSE(r["txtSMU"].toObject()["text"].toString().isEmpty());
    EXPECT_EQ(r["txtZakKab"].toObject(), (QJsonObject{{"text", ""}, {"visible", false}}));
    EXPECT_EQ(r["txtPos"].toString(), "1"); // cut to the approaches
    EXPECT_EQ(r["txtBal"].toString(), "8");
    EXPECT_EQ(r["messages"].toArray().size(), 0);
    // A single object counts as an array of one and gives the same answer.
    EXPECT_EQ(calc(kShift), results);
}

TEST(CliCalc, StateCarriesFromOnePressToTheNext) {
    // The second object lacks the type and the minutes: "Считать" stays enabled, the missing flight
    // count fails the calculation (and "Записать" with it), and the third press warns about the missing
    // exercise.
    const QByteArray second = R"({"txtTpolMin": "30", "txtHpol": "2000", "cboTyp": "Су-27"})";
    const QByteArray third = R"({"cboTyp": "Су-27", "txtTpolMin": "30", "txtHpol": "2000", "txtPol": "1"})";
    const QJsonArray results = calc("[" + kShift + "," + second + "," + third + "]");
    ASSERT_EQ(results.size(), 3);
    const QJsonArray m2 = results[1].toObject()["messages"].toArray();
    ASSERT_EQ(m2.size(), 1);
    EXPECT_EQ(m2[0].toObject()["title"].toString(), "Error in #MODULE#.#PROC#");
    EXPECT_FALSE(results[1].toObject()["cmdWrite"].toObject()["enabled"].toBool()); // nothing computed to write
    const QJsonArray m3 = results[2].toObject()["messages"].toArray();
    ASSERT_EQ(m3.size(), 1);
    EXPECT_EQ(m3[0].toObject()["title"].toString(), "Проверка данных");
}

TEST(CliCalc, APressThatFailsLeavesNothingToWrite) {
    // The cloud base above the top: the in-cloud table has no such thickness.
    QByteArray failing = kShift;
    failing.replace(R"("Л-39")", R"("Су-27")").replace(R"("600")", R"("2000")").replace(R"("900")", R"("600")");
    const QJsonArray results = calc("[" + kShift + "," + failing + "]");
    ASSERT_EQ(results.size(), 2);
    EXPECT_TRUE(results[0]["cmdWrite"]["enabled"].toBool());
    EXPECT_FALSE(results[1]["cmdWrite"]["enabled"].toBool());
    const QString text = results[1]["messages"][0]["text"].toString();
    EXPECT_TRUE(text.startsWith("13: ")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("(облачность, Нн и Нв)")) << text.toStdString();
}

TEST(CliCalc, APressBeforeCalculateIsEnabledChangesNothing) {
    const QJsonArray results = calc(R"([{"cboTyp": "Л-39", "txtBal": "12"}])");
    ASSERT_EQ(results.size(), 1);
    const QJsonObject r = results[0].toObject();
    EXPECT_FALSE(r["cmdOK"].toObject()["enabled"].toBool());
    EXPECT_EQ(r["txtBal"].toString(), "12");
    EXPECT_TRUE(r["messages"].toArray().isEmpty());
}

TEST(CliCalc, AMissingDatabaseIsAGeneralErrorPerPress) {
    const CliRun r = runCli({"calc", "--db", "/nonexistent/FlightTables1.mdb"}, kShift);
    ASSERT_EQ(r.exitCode, 0);
    const QJsonArray m = QJsonDocument::fromJson(r.out).array()[0].toObject()["messages"].toArray();
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(m[0].toObject()["title"].toString(), "Error in #MODULE#.#PROC#");
}

TEST(CliCalc, MalformedInputIsRefusedWithoutOutput) {
    const QByteArray bad[] = {
        "not json",
        R"([{"cboTyp": "Л-39", "txtColour": "red"}])",
        R"([{"txtHpol": 3000}])",
        R"([{"optDSMU": "yes"}])",
        R"([{"optDSMU": true, "optNSMU": true}])",
        R"([{"optPrivate": true, "optGavno": true}])",
        R"([1, 2])",
        R"([)" + kShift + R"(, {"optForward": true, "optBack": true}])",
    };
    for (const QByteArray& input : bad) {
        const CliRun r = runCli({"calc"}, input);
        EXPECT_EQ(r.exitCode, 2) << input.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << input.toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << input.toStdString();
    }
    EXPECT_EQ(runCli({"calc", "--bogus"}, kShift).exitCode, 2);
}
