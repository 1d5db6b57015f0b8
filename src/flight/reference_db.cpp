#include "flight/reference_db.h"

#include "common/error.h"
#include "common/numtext.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace korv::flight {

namespace {

// Opens the database read only for the lifetime of one lookup and removes the connection after.
class Connection {
public:
    explicit Connection(const QString& path) {
        static QAtomicInt counter;
        name_ = QStringLiteral("korv-ref-%1").arg(counter.fetchAndAddRelaxed(1));
        if (!QFileInfo(path).isFile())
            throw Error(Error::FileNotFound, QStringLiteral("Не найден файл базы данных %1").arg(path));
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            const QString why = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name_);
            throw Error(Error::BadDatabase, QStringLiteral("Не удалось открыть базу данных %1").arg(path), why);
        }
    }
    ~Connection() {
        {
            auto db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }

private:
    QString name_;
};

// A query that failed: the database itself is damaged (or is no database), or what the query needs is
// not in it. The driver's own words go to the log.
[[noreturn]] void failQuery(const QSqlQuery& q, const QString& path, const QString& what) {
    throw Error(
        Error::BadDatabase,
        QStringLiteral("Файл базы данных %1 повреждён или не является базой данных (не прочитано: %2)").arg(path, what),
        q.lastError().text());
}

// Checks that the database holds the table or query `name` before it is read.
void requireObject(const Connection& c, const QString& path, const QString& name) {
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = ? AND type IN ('view', 'table')")))
        failQuery(q, path, name);
    q.addBindValue(name);
    if (!q.exec())
        failQuery(q, path, name);
    if (!q.next())
        throw Error(Error::ItemNotFound,
                    QStringLiteral("В базе данных %1 нет таблицы или запроса «%2»").arg(path, name));
}

} // namespace

ReferenceDatabase::ReferenceDatabase(QString path) : path_(std::move(path)) {}

Table ReferenceDatabase::table(const QString& queryName) {
    Table records;
    {
        Connection c(path_);
        requireObject(c, path_, queryName);
        QSqlQuery q(c.db());
        q.setForwardOnly(true);
        QString quoted = queryName;
        quoted.replace(u'"', QStringLiteral("\"\""));
        if (!q.exec(QStringLiteral("SELECT * FROM \"") + quoted + u'"'))
            failQuery(q, path_, queryName);
        const int fields = q.record().count();
        while (q.next()) {
            Record r(fields);
            for (int i = 0; i < fields; ++i)
                r[i] = q.value(i).isNull() ? 0.0 : q.value(i).toDouble();
            records.push_back(std::move(r));
        }
    }
    return records;
}

QString ReferenceDatabase::exerciseDescription(const QString& exerciseText) {
    const auto whole = wholeNumber(exerciseText);
    if (!whole)
        throw Error::typeMismatch(QStringLiteral("номер упражнения «%1» не целое число").arg(exerciseText));
    const qint64 number = *whole;

    Connection c(path_);
    requireObject(c, path_, QStringLiteral("ExercisesKLP"));
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT exercise, OpisKratko FROM ExercisesKLP WHERE exercise = ?")))
        failQuery(q, path_, QStringLiteral("ExercisesKLP"));
    q.addBindValue(number);
    if (!q.exec())
        failQuery(q, path_, QStringLiteral("ExercisesKLP"));
    if (!q.next())
        throw Error(Error::NoCurrentRecord,
                    QStringLiteral("Нет описания упражнения %1 в таблице ExercisesKLP").arg(number));
    return q.value(1).toString();
}

QSet<long long> ReferenceDatabase::exerciseNumbers() {
    Connection c(path_);
    requireObject(c, path_, QStringLiteral("ExercisesKLP"));
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT exercise FROM ExercisesKLP")))
        failQuery(q, path_, QStringLiteral("ExercisesKLP"));
    QSet<long long> out;
    while (q.next())
        out.insert(q.value(0).toLongLong());
    return out;
}

QList<std::pair<long long, QString>> ReferenceDatabase::exercises() {
    Connection c(path_);
    requireObject(c, path_, QStringLiteral("ExercisesKLP"));
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT exercise, OpisKratko FROM ExercisesKLP ORDER BY exercise")))
        failQuery(q, path_, QStringLiteral("ExercisesKLP"));
    QList<std::pair<long long, QString>> out;
    while (q.next())
        out.append({q.value(0).toLongLong(), q.value(1).toString()});
    return out;
}

QString exerciseQueryText(const QString& exerciseText) {
    return QStringLiteral("SELECT ExercisesKLP.exercise, ExercisesKLP.OpisKratko From ExercisesKLP WHERE "
                          "ExercisesKLP.exercise = ") +
           exerciseText + u';';
}

} // namespace korv::flight
