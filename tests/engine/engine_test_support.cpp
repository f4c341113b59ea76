#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace enginetest {

DemoConnection::DemoConnection()
{
    const QByteArray path = m_database.path().toUtf8();
    if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the demo database");
    engine::registerServerFunctions(m_db);
}

DemoConnection::~DemoConnection()
{
    // Fails when a statement was left unfinalized (by a test or by a server function).
    if (sqlite3_close(m_db) != SQLITE_OK) {
        ADD_FAILURE() << "cannot close the connection: " << sqlite3_errmsg(m_db);
        sqlite3_close_v2(m_db);
    }
}

namespace {

struct Query
{
    Query(sqlite3 *db, const std::string &sql)
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot prepare: " << sql << ": " << sqlite3_errmsg(db);
    }
    ~Query() { sqlite3_finalize(stmt); }
    bool next(sqlite3 *db, const std::string &sql)
    {
        if (!stmt)
            return false;
        const int rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            ADD_FAILURE() << "cannot run: " << sql << ": " << sqlite3_errmsg(db);
        return rc == SQLITE_ROW;
    }
    sqlite3_stmt *stmt = nullptr;
};

} // namespace

long long DemoConnection::integer(const std::string &sql) const
{
    Query query(m_db, sql);
    if (!query.next(m_db, sql)) {
        ADD_FAILURE() << "no row from: " << sql;
        return -999999;
    }
    return sqlite3_column_int64(query.stmt, 0);
}

std::string DemoConnection::text(const std::string &sql) const
{
    Query query(m_db, sql);
    if (!query.next(m_db, sql)) {
        ADD_FAILURE() << "no row from: " << sql;
        return "<no row>";
    }
    const auto *value = reinterpret_cast<const char *>(sqlite3_column_text(query.stmt, 0));
    return value ? value : "<NULL>";
}

int DemoConnection::rows(const std::string &sql) const
{
    Query query(m_db, sql);
    int count = 0;
    while (query.next(m_db, sql))
        ++count;
    return count;
}

std::optional<std::string> DemoConnection::run(const std::string &sql) const
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return std::nullopt;
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    return text;
}

} // namespace enginetest
