#include "engine/sqlite_util.h"

namespace engine {

void check(sqlite3 *db, int rc, const std::string &what)
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    const char *message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    throw Error(what + ": " + message);
}

void exec(sqlite3 *db, const std::string &sql)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw Error("SQL error: " + text + " (in: " + sql.substr(0, 200) + ")");
    }
}

Statement::Statement(sqlite3 *db, const std::string &sql) : m_db(db), m_sql(sql)
{
    check(db, sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &m_stmt, nullptr),
          "cannot prepare \"" + sql.substr(0, 200) + "\"");
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement &Statement::bind(int index, long long value)
{
    check(m_db, sqlite3_bind_int64(m_stmt, index, value), "bind");
    return *this;
}

Statement &Statement::bind(int index, double value)
{
    check(m_db, sqlite3_bind_double(m_stmt, index, value), "bind");
    return *this;
}

Statement &Statement::bind(int index, const std::string &value)
{
    check(m_db, sqlite3_bind_text(m_stmt, index, value.data(), int(value.size()), SQLITE_TRANSIENT),
          "bind");
    return *this;
}

Statement &Statement::bindNull(int index)
{
    check(m_db, sqlite3_bind_null(m_stmt, index), "bind");
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const std::string message = sqlite3_errmsg(m_db);
    sqlite3_reset(m_stmt);
    throw Error("cannot run \"" + m_sql.substr(0, 200) + "\": " + message);
}

void Statement::run()
{
    while (step()) {
    }
    reset();
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

long long Statement::intColumn(int index) const
{
    return sqlite3_column_int64(m_stmt, index);
}

std::string Statement::textColumn(int index) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
    return text ? std::string(text, size_t(sqlite3_column_bytes(m_stmt, index))) : std::string();
}

bool Statement::isNull(int index) const
{
    return sqlite3_column_type(m_stmt, index) == SQLITE_NULL;
}

Transaction::Transaction(sqlite3 *db) : m_db(db)
{
    exec(db, "BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (!m_done && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    exec(m_db, "COMMIT");
    m_done = true;
}

long long queryInt(sqlite3 *db, const std::string &sql)
{
    Statement statement(db, sql);
    if (!statement.step())
        throw Error("no result from \"" + sql + "\"");
    return statement.intColumn(0);
}

std::string queryText(sqlite3 *db, const std::string &sql)
{
    Statement statement(db, sql);
    if (!statement.step())
        throw Error("no result from \"" + sql + "\"");
    return statement.textColumn(0);
}

} // namespace engine
