#include "support/backend_db.h"

namespace testsupport {

BackendDb::BackendDb(BackendKind kind, const char *schemaSql) : m_kind(kind)
{
    if (kind == BackendKind::SQLite) {
        m_path = m_dir.filePath(QStringLiteral("scratch.db"));
        createDatabaseFile(m_path, schemaSql);
        return;
    }
    m_server = std::make_unique<ScratchPgDatabase>();
    exec(schemaSql);
}

BackendDb::~BackendDb() = default;

QString BackendDb::connectionString() const
{
    if (m_server)
        return QString::fromStdString(m_server->connection());
    return QStringLiteral("Data Source=%1").arg(m_path);
}

QStringList BackendDb::rows(const char *sql) const
{
    return joinedRows(other()->rows(QString::fromUtf8(sql)));
}

void BackendDb::exec(const char *sql) const
{
    other()->exec(QString::fromUtf8(sql));
}

void BackendTest::SetUp()
{
    if (onServer() && !testServerAvailable())
        GTEST_SKIP() << NoTestServer;
    db = std::make_unique<BackendDb>(GetParam(), schema());
    conn.Open(db->connectionString());
}

std::string backendName(const ::testing::TestParamInfo<BackendKind> &info)
{
    return info.param == BackendKind::SQLite ? "SQLite" : "PostgreSQL";
}

} // namespace testsupport
