#include "support/sql_rows.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace testsupport {

Rows queryRows(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("test query: ") + sqlite3_errmsg(db) + " in "
                                 + text.constData());
    Rows result;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            if (sqlite3_column_type(stmt, i) == SQLITE_NULL)
                row << QStringLiteral("<NULL>");
            else
                row << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)));
        }
        result << row;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw std::runtime_error("test query failed: " + sql.toStdString());
    return result;
}

long long queryScalar(sqlite3 *db, const QString &sql)
{
    const Rows rows = queryRows(db, sql);
    if (rows.isEmpty() || rows.first().isEmpty())
        throw std::runtime_error("test scalar without a row: " + sql.toStdString());
    return rows.first().first().toLongLong();
}

void createDatabaseFile(const QString &path, const char *schemaSql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error("test database " + path.toStdString() + ": " + why);
    }
    char *message = nullptr;
    const int rc = sqlite3_exec(db, schemaSql, nullptr, nullptr, &message);
    const std::string why = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test schema: " + why);
}

} // namespace testsupport
