#pragma once
// Raw SQLite reads for tests: they check what the code under test wrote without going through it.

#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace testsupport {

using Rows = QList<QStringList>;

// Every row of a query as texts ("<NULL>" for NULL), read straight from SQLite on a connection
// (so its temporary tables are visible). Throws std::runtime_error when the query fails.
Rows queryRows(sqlite3 *db, const QString &sql);
// The first column of the first row; throws when the query gives no row.
long long queryScalar(sqlite3 *db, const QString &sql);
// Creates a database file at path and runs schemaSql (several statements) in it; throws
// std::runtime_error naming what failed.
void createDatabaseFile(const QString &path, const char *schemaSql);

} // namespace testsupport
