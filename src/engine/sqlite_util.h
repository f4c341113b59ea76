#pragma once
// Small RAII helpers over the SQLite C API used inside the engine.
//
// Engine functions report failures as engine::Error (a std::runtime_error): the engine sits
// below the data-access layer and cannot use its error type. The message names what failed and
// carries SQLite's own message.

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace engine {

class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Throws Error("what: <sqlite message>") unless rc is one of the success codes.
void check(sqlite3 *db, int rc, const std::string &what);

// Runs one or more statements without results.
void exec(sqlite3 *db, const std::string &sql);

// A prepared statement, finalized on destruction.
class Statement
{
public:
    Statement(sqlite3 *db, const std::string &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int index, long long value);
    Statement &bind(int index, double value);
    Statement &bind(int index, const std::string &value);
    Statement &bindNull(int index);

    // Steps once: true when a row is available, false when done.
    bool step();
    // Steps to the end of a statement without rows, then resets it and clears its bindings.
    void run();
    void reset();

    long long intColumn(int index) const;
    std::string textColumn(int index) const;
    bool isNull(int index) const;

    sqlite3_stmt *handle() const { return m_stmt; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    std::string m_sql;
};

// A transaction that rolls back unless committed.
class Transaction
{
public:
    explicit Transaction(sqlite3 *db);
    ~Transaction();
    void commit();

private:
    sqlite3 *m_db;
    bool m_done = false;
};

// Single integer result of a query (throws when there is no row).
long long queryInt(sqlite3 *db, const std::string &sql);
// Single text result of a query (throws when there is no row).
std::string queryText(sqlite3 *db, const std::string &sql);

} // namespace engine
