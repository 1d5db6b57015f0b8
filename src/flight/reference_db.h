#pragma once

// The reference database FlightTables1.mdb: its tables and exercise descriptions.

#include <QList>
#include <QSet>
#include <QString>

#include <utility>
#include <vector>

namespace korv::flight {

// One record of a reference table: its fields by position. An empty field reads as 0.
using Record = std::vector<double>;
// The records of a table query in the order the query returns them.
using Table = std::vector<Record>;

// Where the calculation gets its reference tables from, by query name.
class TableSource {
public:
    virtual ~TableSource() = default;
    // Fails with Error::ItemNotFound naming the query when there is no such query.
    virtual Table table(const QString& queryName) = 0;
};

// The reference database FlightTables1.mdb, an SQLite file read only. Like the lookups it serves, it
// is opened for every read and released right after, so a file replaced between two presses of
// "Считать" is read anew.
class ReferenceDatabase : public TableSource {
public:
    explicit ReferenceDatabase(QString path);

    const QString& path() const { return path_; }

    Table table(const QString& queryName) override;

    // The short description (OpisKratko) of an exercise from ExercisesKLP. The number typed by the
    // pilot is checked to be a whole number and bound as a parameter; it never becomes SQL text.
    // Fails with a type mismatch for a text that is not a whole number and with
    // Error::NoCurrentRecord when the table has no such exercise.
    QString exerciseDescription(const QString& exerciseText);
    // Every exercise number ExercisesKLP knows.
    QSet<long long> exerciseNumbers();
    // Every exercise of ExercisesKLP with its description, by number: the course of every type, since the
    // table has no column of the type and the records of every type are described from it.
    QList<std::pair<long long, QString>> exercises();

private:
    QString path_;
};

// The exercise query of the Л-39 as the program keeps it: the number inserted as typed.
QString exerciseQueryText(const QString& exerciseText);

} // namespace korv::flight
