#include "bench_support.h"

#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <malloc.h>
#include <sqlite3.h>

#include <memory>

namespace bench {

namespace {

QTemporaryDir &scratchDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/causali_bench-XXXXXX"));
    if (!dir.isValid())
        throw engine::Error("cannot create a scratch directory: "
                            + dir.errorString().toStdString());
    return dir;
}

// Creates `path` and fills it; on failure no file is left behind.
void createDatabase(const QString &path, const std::function<void(sqlite3 *)> &fill)
{
    sqlite3 *db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(name.constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3 *)> guard(db, sqlite3_close_v2);
    try {
        engine::check(db, rc, "cannot create " + path.toStdString());
        fill(db);
    } catch (...) {
        guard.reset();
        QFile::remove(path);
        throw;
    }
}

} // namespace

QString scratchDatabase(const QString &name, const std::function<void(sqlite3 *)> &fill)
{
    static QHash<QString, QString> made;
    const auto found = made.constFind(name);
    if (found != made.constEnd())
        return *found;
    const QString path = scratchDir().filePath(name + QStringLiteral(".sqlite"));
    createDatabase(path, fill);
    made.insert(name, path);
    return path;
}

QString reasonCodeDatabase(int reasonCodes, int rowsPerSatellite)
{
    const QString name = QStringLiteral("codes_%1x%2").arg(reasonCodes).arg(rowsPerSatellite);
    return scratchDatabase(name, [=](sqlite3 *db) {
        engine::exec(db, "BEGIN");
        engine::createSchema(db);
        engine::fillDemoData(db);
        engine::exec(db, "COMMIT");
        engine::generateReasonCodes(db, reasonCodes, rowsPerSatellite);
    });
}

RawConnection::RawConnection(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    try {
        engine::check(m_db, rc, "cannot open " + path.toStdString());
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        engine::exec(m_db, "SELECT count(*) FROM sqlite_schema");
        engine::exec(m_db, "PRAGMA synchronous = FULL");
        engine::exec(m_db, "PRAGMA foreign_keys = ON");
        engine::registerServerFunctions(m_db);
    } catch (...) {
        sqlite3_close_v2(m_db);
        throw;
    }
}

RawConnection::~RawConnection()
{
    sqlite3_close_v2(m_db);
}

void RawConnection::exec(const QByteArray &sql) const
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return;
    const std::string text = message ? message : sqlite3_errmsg(m_db);
    sqlite3_free(message);
    throw engine::Error("SQL error: " + text + " (in: " + sql.left(200).toStdString() + ")");
}

long long RawConnection::queryInt(const char *sql) const
{
    return engine::queryInt(m_db, sql);
}

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace bench
