#include "common/error.h"
#include "flight/input_form.h"
#include "flight/interpolation.h"
#include "flight/reference_db.h"
#include "support/error_number.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korv;
using namespace korv::flight;

namespace {

// A small database written by the test: an unsorted view and the exercise table.
class ReferenceDbTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("FlightTables1.mdb");
        {
            auto db = QSqlDatabase::addDatabase("QSQLITE", "writer");
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            for (const char* sql : {
                     "CREATE TABLE pod(seq INTEGER, h INTEGER, t REAL)",
                     "INSERT INTO pod VALUES (1, 300, 150), (2, 0, 0), (3, 100, 50.5), (4, 200, NULL)",
                     "CREATE VIEW Z_Time_Pod_L39 AS SELECT h, t FROM pod ORDER BY seq",
                     "CREATE TABLE ExercisesKLP(exercise INTEGER PRIMARY KEY, OpisKratko TEXT NOT NULL)",
                     "INSERT INTO ExercisesKLP VALUES (5, 'КП. День. Полёт по кругу'), (12, 'ТП. День. Зона')",
                 })
                ASSERT_TRUE(q.exec(sql)) << sql;
        }
        QSqlDatabase::removeDatabase("writer");
    }

    QTemporaryDir dir;
    QString path;
};

} // namespace

TEST_F(ReferenceDbTest, ReadsRecordsInQueryOrderWithColumnsByPosition) {
    ReferenceDatabase db(path);
    const Table t = db.table("Z_Time_Pod_L39");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0], (Record{300, 150}));
    EXPECT_EQ(t[1], (Record{0, 0}));
    EXPECT_EQ(t[2], (Record{100, 50.5}));
    EXPECT_EQ(t[3], (Record{200, 0})); // an empty field reads as 0
    // The unsorted table interpolates as a sorted one would.
    EXPECT_EQ(lookupOneKey(t, 150, "Z_Time_Pod_L39"), 25); // between 100 (50.5) and 200 (0)
}

TEST_F(ReferenceDbTest, AMissingQueryFailsNamingIt) {
    ReferenceDatabase db(path);
    try {
        db.table("Z_Time_Obl_L39");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::ItemNotFound);
        EXPECT_TRUE(e.description().contains("Z_Time_Obl_L39"));
    }
}

TEST_F(ReferenceDbTest, AMissingFileFailsAndIsNotCreated) {
    const QString missing = dir.filePath("none/FlightTables1.mdb");
    ReferenceDatabase db(missing);
    EXPECT_EQ(errorNumberOf<Error>([&] { db.table("Z_Time_Pod_L39"); }), Error::FileNotFound);
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(ReferenceDbTest, ExerciseDescriptionBindsAWholeNumber) {
    ReferenceDatabase db(path);
    EXPECT_EQ(db.exerciseDescription("5"), "КП. День. Полёт по кругу");
    EXPECT_EQ(db.exerciseDescription(" 12 "), "ТП. День. Зона");
    EXPECT_EQ(errorNumberOf<Error>([&] { db.exerciseDescription("7"); }), Error::NoCurrentRecord);
    // Texts that are not whole numbers never reach the database.
    for (const char* bad : {"", "5 OR 1=1", "5;DROP TABLE ExercisesKLP", "1.5", "abc"})
        EXPECT_EQ(errorNumberOf<Error>([&] { db.exerciseDescription(bad); }), Error::TypeMismatch) << bad;
    EXPECT_EQ(db.exerciseDescription("5"), "КП. День. Полёт по кругу");
}

TEST(ExerciseQuery, HoldsTheNumberAsTyped) {
    EXPECT_TRUE(exerciseQueryText("5").endsWith("= 5;"));
    EXPECT_EQ(exerciseQueryText("5"), "SELECT ExercisesKLP.exercise, ExercisesKLP.OpisKratko From ExercisesKLP "
                                      "WHERE ExercisesKLP.exercise = 5;");
}

// The database the build ships: every type's two queries, the key row first, plausible values.
TEST(ShippedReferenceDb, HoldsEveryTypesTables) {
    const QString path = QDir(qEnvironmentVariable("KORV_BIN_DIR")).filePath("FlightTables1.mdb");
    ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
    ReferenceDatabase db(path);
    for (const QString& suffix : kTypeSuffixes) {
        const Table pod = db.table("Z_Time_Pod_" + suffix);
        ASSERT_GE(pod.size(), 2u);
        EXPECT_EQ(lookupOneKey(pod, 0, "pod"), 0);
        EXPECT_GT(lookupOneKey(pod, 12000, "pod"), lookupOneKey(pod, 1000, "pod"));
        const Table obl = db.table("Z_Time_Obl_" + suffix);
        ASSERT_GE(obl.size(), 2u);
        for (std::size_t i = 1; i < obl.size(); ++i)
            EXPECT_LT(obl[0][0], obl[i][0]);
        for (std::size_t j = 1; j < obl[0].size(); ++j)
            EXPECT_LT(obl[0][0], obl[0][j]);
        for (const Record& r : obl)
            for (double v : r)
                EXPECT_LE(v, 32767);
    }
    EXPECT_FALSE(db.exerciseDescription("1").isEmpty());
    EXPECT_FALSE(db.exerciseDescription("198").isEmpty());
    EXPECT_FALSE(db.exerciseDescription("234").isEmpty());
}
