#pragma once
// Raw reads and writes for tests, through the client library of the database's own kind
// (sqlite3 or libpq), never through the data-access layer: what a test checks does not go
// through the code under test. The same SQL runs on both kinds of database when it keeps to
// what both accept: a working table written "#name", quoted and in lower case (the server's
// names are in lower case, SQLite ignores the case), no engine-specific functions.

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct sqlite3;

namespace ado {
class Connection;
}

namespace testsupport {

using Rows = QList<QStringList>;

// A connection of the raw client. Rows come as texts, as SQLite gives them: "<NULL>" for NULL;
// from a server, fixed-length texts without their trailing blanks, decimal numbers without
// trailing zeros (60.00 as 60, 2.50 as 2.5) and booleans as 1 and 0. Failures throw
// std::runtime_error naming the SQL and the database's message.
class RawSql
{
public:
    virtual ~RawSql() = default;
    virtual Rows rows(const QString &sql) = 0;
    // Runs one or more statements (a query's rows are dropped).
    virtual void exec(const QString &sql) = 0;
    // The first column of the first row; throws when the query gives no row.
    long long scalar(const QString &sql);
};

// One text per row, columns joined by '|', NULL as "NULL".
QStringList joinedRows(const Rows &rows);

// The session of an open connection of the layer (its temporary working tables are visible);
// valid while the connection stays open.
std::unique_ptr<RawSql> rawSessionOf(const ado::Connection &connection);
// A connection of its own, as another program has, to the database `connectionString` names
// ("Data Source=PATH" or a libpq URI: what ado::Connection::Open takes).
std::unique_ptr<RawSql> rawConnection(const QString &connectionString);

// The same on the connection's session, for one statement.
Rows queryRows(const ado::Connection &connection, const QString &sql);
long long queryScalar(const ado::Connection &connection, const QString &sql);
void execRaw(const ado::Connection &connection, const QString &sql);

// Makes the database of the connection refuse every `event` (INSERT, UPDATE or DELETE) on
// `table` (a stored table, or a working table as "\"#name\"") with `message`, as a trigger of
// another program would, until allowWrites(table).
void refuseWrites(const ado::Connection &connection, const QString &table, const QString &event,
                  const QString &message);
void allowWrites(const ado::Connection &connection, const QString &table);

// On an SQLite handle (tests of SQLite files only).
Rows queryRows(sqlite3 *db, const QString &sql);
long long queryScalar(sqlite3 *db, const QString &sql);
// Creates a database file at path and runs schemaSql (several statements) in it; throws
// std::runtime_error naming what failed.
void createDatabaseFile(const QString &path, const char *schemaSql);

} // namespace testsupport
