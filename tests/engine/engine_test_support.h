#pragma once
// A raw SQLite connection on a fresh demo database, with the server functions registered, and
// small query helpers for the engine tests.

#include "engine/server.h"
#include "support/test_database.h"

#include <sqlite3.h>

#include <optional>
#include <string>

namespace enginetest {

class DemoConnection
{
public:
    DemoConnection();
    ~DemoConnection();
    DemoConnection(const DemoConnection &) = delete;
    DemoConnection &operator=(const DemoConnection &) = delete;

    sqlite3 *db() const { return m_db; }
    const testsupport::TestDatabase &database() const { return m_database; }

    // First column of the first row; fails the test on an SQL error or no row.
    long long integer(const std::string &sql) const;
    std::string text(const std::string &sql) const;
    // Number of result rows.
    int rows(const std::string &sql) const;
    // Runs the statement(s); returns SQLite's error message, or nothing on success.
    std::optional<std::string> run(const std::string &sql) const;

private:
    testsupport::TestDatabase m_database;
    sqlite3 *m_db = nullptr;
};

} // namespace enginetest
