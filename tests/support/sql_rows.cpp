#include "support/sql_rows.h"

#include "ado/connection.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace testsupport {

namespace {

[[noreturn]] void failed(const QString &sql, const QString &message)
{
    throw std::runtime_error(QStringLiteral("test SQL: %1 in %2").arg(message, sql).toStdString());
}

class SqliteRaw final : public RawSql
{
public:
    // On a handle of the layer's connection (not owned).
    explicit SqliteRaw(sqlite3 *db) : m_db(db) {}
    // A connection of its own to the file.
    explicit SqliteRaw(const QString &path) : m_owned(true)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr)
            != SQLITE_OK) {
            const QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
            sqlite3_close(m_db);
            throw std::runtime_error(("cannot open " + path + ": " + why).toStdString());
        }
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~SqliteRaw() override
    {
        if (m_owned)
            sqlite3_close(m_db);
    }

    Rows rows(const QString &sql) override { return queryRows(m_db, sql); }
    void exec(const QString &sql) override
    {
        char *message = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const QString why = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
            sqlite3_free(message);
            failed(sql, why);
        }
    }

private:
    sqlite3 *m_db = nullptr;
    bool m_owned = false;
};

// A cell of a server's result as SQLite would give the same value.
QString sqliteLike(const PGresult *result, int row, int column)
{
    QString text = QString::fromUtf8(PQgetvalue(result, row, column));
    switch (PQftype(result, column)) {
    case 16: // boolean
        return text == QLatin1String("t") ? QStringLiteral("1") : QStringLiteral("0");
    case 1042: // character(n): blank-padded
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        return text;
    case 1700: // numeric: scale zeros
        if (text.contains(QLatin1Char('.'))) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(QLatin1Char('.')))
                text.chop(1);
        }
        return text;
    default:
        return text;
    }
}

class PgRaw final : public RawSql
{
public:
    // On the connection of the layer (not owned).
    explicit PgRaw(PGconn *conn) : m_conn(conn) {}
    // A connection of its own.
    explicit PgRaw(const QString &uri)
        : m_conn(PQconnectdb(uri.toUtf8().constData())), m_owned(true)
    {
        if (PQstatus(m_conn) != CONNECTION_OK) {
            const QString why = QString::fromUtf8(PQerrorMessage(m_conn));
            PQfinish(m_conn);
            throw std::runtime_error(("cannot connect to the test server: " + why).toStdString());
        }
        PQsetNoticeProcessor(
            m_conn, [](void *, const char *) {}, nullptr); // drops, cascades
    }
    ~PgRaw() override
    {
        if (m_owned)
            PQfinish(m_conn);
    }

    Rows rows(const QString &sql) override
    {
        const std::unique_ptr<PGresult, void (*)(PGresult *)> result(run(sql), PQclear);
        Rows out;
        for (int i = 0; i < PQntuples(result.get()); ++i) {
            QStringList row;
            for (int c = 0; c < PQnfields(result.get()); ++c)
                row << (PQgetisnull(result.get(), i, c) ? QStringLiteral("<NULL>")
                                                        : sqliteLike(result.get(), i, c));
            out << row;
        }
        return out;
    }
    void exec(const QString &sql) override { PQclear(run(sql)); }

private:
    PGresult *run(const QString &sql)
    {
        PGresult *result = PQexec(m_conn, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const QString why = QString::fromUtf8(PQerrorMessage(m_conn));
            PQclear(result);
            failed(sql, why);
        }
        return result;
    }

    PGconn *m_conn;
    bool m_owned = false;
};

} // namespace

long long RawSql::scalar(const QString &sql)
{
    const Rows all = rows(sql);
    if (all.isEmpty() || all.first().isEmpty())
        throw std::runtime_error("test scalar without a row: " + sql.toStdString());
    return all.first().first().toLongLong();
}

QStringList joinedRows(const Rows &rows)
{
    QStringList out;
    for (const QStringList &row : rows)
        out << row.join(QLatin1Char('|')).replace(QStringLiteral("<NULL>"), QStringLiteral("NULL"));
    return out;
}

std::unique_ptr<RawSql> rawSessionOf(const ado::Connection &connection)
{
    if (connection.handle())
        return std::make_unique<SqliteRaw>(connection.handle());
    if (connection.backend() && connection.backend()->postgresHandle())
        return std::make_unique<PgRaw>(connection.backend()->postgresHandle());
    throw std::runtime_error("test SQL: the connection is not open");
}

std::unique_ptr<RawSql> rawConnection(const QString &connectionString)
{
    if (ado::isPostgresUri(connectionString.trimmed()))
        return std::make_unique<PgRaw>(connectionString.trimmed());
    return std::make_unique<SqliteRaw>(ado::dataSourceOf(connectionString));
}

Rows queryRows(const ado::Connection &connection, const QString &sql)
{
    return rawSessionOf(connection)->rows(sql);
}

long long queryScalar(const ado::Connection &connection, const QString &sql)
{
    return rawSessionOf(connection)->scalar(sql);
}

void execRaw(const ado::Connection &connection, const QString &sql)
{
    rawSessionOf(connection)->exec(sql);
}

namespace {

// The trigger's name: the table's without quotes and '#'.
QString refusalName(const QString &table)
{
    QString name = table;
    name.remove(QLatin1Char('"')).remove(QLatin1Char('#'));
    return QStringLiteral("REFUSE_") + name;
}

} // namespace

void refuseWrites(const ado::Connection &connection, const QString &table, const QString &event,
                  const QString &message)
{
    const QString name = refusalName(table);
    if (connection.handle()) {
        // A temporary trigger: it may watch both the file's tables and the working ones.
        const QString target = table.contains(QLatin1Char('#')) ? table : "main." + table;
        execRaw(connection, QStringLiteral("CREATE TEMP TRIGGER %1 BEFORE %2 ON %3"
                                           " BEGIN SELECT RAISE(ABORT, '%4'); END")
                                .arg(name, event, target, message));
        return;
    }
    execRaw(connection, QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS"
                                       " $$BEGIN RAISE EXCEPTION '%4'; END$$;"
                                       " CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW"
                                       " EXECUTE FUNCTION %1()")
                            .arg(name, event, table, message));
}

void allowWrites(const ado::Connection &connection, const QString &table)
{
    const QString name = refusalName(table);
    if (connection.handle())
        execRaw(connection, QStringLiteral("DROP TRIGGER %1").arg(name));
    else
        execRaw(connection,
                QStringLiteral("DROP TRIGGER %1 ON %2; DROP FUNCTION %1()").arg(name, table));
}

Rows queryRows(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        failed(sql, QString::fromUtf8(sqlite3_errmsg(db)));
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
        failed(sql, QString::fromUtf8(sqlite3_errmsg(db)));
    return result;
}

long long queryScalar(sqlite3 *db, const QString &sql)
{
    return SqliteRaw(db).scalar(sql);
}

void createDatabaseFile(const QString &path, const char *schemaSql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr)
        != SQLITE_OK) {
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
