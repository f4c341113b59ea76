#include "support/backend_db.h"

#include "support/sql_rows.h"

#include <QCoreApplication>
#include <QUrl>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <stdexcept>

namespace testsupport {

namespace {

[[noreturn]] void failed(const QString &what)
{
    throw std::runtime_error(what.toStdString());
}

// A raw libpq connection that throws on failure.
class PgRaw final : public BackendDb::Other
{
public:
    explicit PgRaw(const QString &uri) : m_conn(PQconnectdb(uri.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            failed(QStringLiteral("cannot connect to the test server: ")
                   + QString::fromUtf8(PQerrorMessage(m_conn)));
        PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr); // drops, cascades
    }
    ~PgRaw() override { PQfinish(m_conn); }

    void exec(const char *sql) override { run(sql, PGRES_COMMAND_OK); }

    QStringList rows(const char *sql)
    {
        PGresult *r = run(sql, PGRES_TUPLES_OK, false);
        QStringList out;
        for (int i = 0; i < PQntuples(r); ++i) {
            QStringList row;
            for (int c = 0; c < PQnfields(r); ++c)
                row << (PQgetisnull(r, i, c) ? QStringLiteral("NULL")
                                             : QString::fromUtf8(PQgetvalue(r, i, c)));
            out << row.join(QLatin1Char('|'));
        }
        PQclear(r);
        return out;
    }

private:
    PGresult *run(const char *sql, ExecStatusType wanted, bool clear = true)
    {
        PGresult *r = PQexec(m_conn, sql);
        const ExecStatusType status = PQresultStatus(r);
        if (status != wanted && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const QString message = QString::fromUtf8(PQerrorMessage(m_conn));
            PQclear(r);
            failed(QStringLiteral("%1: %2").arg(QString::fromUtf8(sql), message));
        }
        if (clear) {
            PQclear(r);
            return nullptr;
        }
        return r;
    }

    PGconn *m_conn;
};

class SqliteRaw final : public BackendDb::Other
{
public:
    explicit SqliteRaw(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr)
            != SQLITE_OK)
            failed(QStringLiteral("cannot open ") + path);
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~SqliteRaw() override { sqlite3_close(m_db); }

    void exec(const char *sql) override
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            failed(QStringLiteral("%1: %2").arg(QString::fromUtf8(sql),
                                                QString::fromUtf8(sqlite3_errmsg(m_db))));
    }

    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

} // namespace

QString testServerUri()
{
    return qEnvironmentVariable("CAUSALI_TEST_PG");
}

BackendDb::BackendDb(BackendKind kind, const char *schemaSql) : m_kind(kind)
{
    if (kind == BackendKind::SQLite) {
        m_path = m_dir.filePath(QStringLiteral("scratch.db"));
        createDatabaseFile(m_path, schemaSql);
        return;
    }
    static std::atomic<int> serial{0};
    m_schema = QStringLiteral("adotest_%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial);
    const QString base = testServerUri();
    // Every connection of this database finds its tables first in its own schema.
    m_uri = base + (base.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?'))
            + QStringLiteral("options=-c%20search_path%3D") + m_schema;
    PgRaw admin(base);
    admin.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1")
                   .arg(m_schema).toUtf8().constData());
    PgRaw(m_uri).exec(schemaSql);
}

BackendDb::~BackendDb()
{
    if (m_kind != BackendKind::PostgreSQL)
        return;
    try {
        PgRaw(testServerUri()).exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE")
                                        .arg(m_schema).toUtf8().constData());
    } catch (const std::exception &) {
        // A schema left behind is dropped by the next run of the same process id, or with
        // the throwaway database.
    }
}

QString BackendDb::connectionString() const
{
    if (m_kind == BackendKind::PostgreSQL)
        return m_uri;
    return QStringLiteral("Data Source=%1").arg(m_path);
}

QStringList BackendDb::rows(const char *sql) const
{
    if (m_kind == BackendKind::PostgreSQL)
        return PgRaw(m_uri).rows(sql);
    SqliteRaw raw(m_path);
    QStringList out;
    for (const QStringList &row : queryRows(raw.handle(), QString::fromUtf8(sql)))
        out << row.join(QLatin1Char('|')).replace(QStringLiteral("<NULL>"), QStringLiteral("NULL"));
    return out;
}

void BackendDb::exec(const char *sql) const
{
    other()->exec(sql);
}

std::unique_ptr<BackendDb::Other> BackendDb::other() const
{
    if (m_kind == BackendKind::PostgreSQL)
        return std::make_unique<PgRaw>(m_uri);
    return std::make_unique<SqliteRaw>(m_path);
}

void BackendTest::SetUp()
{
    if (onServer() && testServerUri().isEmpty())
        GTEST_SKIP() << "CAUSALI_TEST_PG is not set: no PostgreSQL server to run this case on "
                        "(set it to the libpq URI of a throwaway database)";
    db = std::make_unique<BackendDb>(GetParam(), schema());
    conn.Open(db->connectionString());
}

std::string backendName(const ::testing::TestParamInfo<BackendKind> &info)
{
    return info.param == BackendKind::SQLite ? "SQLite" : "PostgreSQL";
}

} // namespace testsupport
