#include "support/test_database.h"

#include "engine/postgres.h"
#include "engine/server.h"
#include "engine/sqlite_util.h"
#include "support/server_db.h"

#include <QDir>
#include <QTemporaryDir>

#include <stdexcept>

namespace testsupport {

bool serverRun()
{
    return qEnvironmentVariable("CAUSALI_TEST_BACKEND") == QLatin1String("postgresql");
}

TestDatabase::TestDatabase()
{
    if (serverRun()) {
        m_server = std::make_unique<ScratchPgDatabase>(ScratchPgDatabase::Contents::Demo);
        m_path = QString::fromStdString(m_server->connection());
        return;
    }
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid())
        throw std::runtime_error("TestDatabase: cannot create a temporary directory: "
                                 + m_dir->errorString().toStdString());
    m_path = QDir(m_dir->path()).absoluteFilePath(QStringLiteral("causali.db"));
    engine::createDemoDatabase(m_path);
}

TestDatabase::~TestDatabase() = default;

QString TestDatabase::path() const
{
    return m_path;
}

QString TestDatabase::connectionString() const
{
    return onServer() ? m_path : QStringLiteral("Data Source=") + m_path;
}

} // namespace testsupport

namespace testsupport {

void TestDatabase::generateReasonCodes(int reasonCodes, int rowsPerSatellite) const
{
    if (onServer()) {
        engine::generateReasonCodesPostgres(m_path.toStdString(), reasonCodes, rowsPerSatellite);
        return;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(m_path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("TestDatabase: cannot open " + m_path.toStdString());
    }
    try {
        engine::generateReasonCodes(db, reasonCodes, rowsPerSatellite);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

} // namespace testsupport
