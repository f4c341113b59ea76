#pragma once
// A fresh PostgreSQL database for one test, on the server that CAUSALI_TEST_PG names (a libpq
// URI or connection string; scripts/test starts a throwaway cluster and sets it). Tests of the
// PostgreSQL side skip themselves when it is not set.

#include <string>
#include <vector>

namespace engine {
class Session;
}

namespace testsupport {

// The rows of a query, one text per row, as both engines can agree on them: numbers by value
// (60.0, 60.00 and 60 alike), texts without the blanks that fixed-length columns add, NULL as
// <NULL>; cells end with '|'.
std::vector<std::string> comparableRows(engine::Session &db, const std::string &sql);

class ScratchPgDatabase
{
public:
    // True when CAUSALI_TEST_PG is set.
    static bool available();

    // Creates an empty database with a name of its own; dropped by the destructor.
    ScratchPgDatabase();
    ~ScratchPgDatabase();
    ScratchPgDatabase(const ScratchPgDatabase &) = delete;
    ScratchPgDatabase &operator=(const ScratchPgDatabase &) = delete;

    // The connection string of the new database.
    const std::string &connection() const { return m_connection; }

private:
    std::string m_server;
    std::string m_name;
    std::string m_connection;
};

} // namespace testsupport

// The first statement of a test of the PostgreSQL side.
#define SKIP_WITHOUT_POSTGRES()                                                                  \
    if (!testsupport::ScratchPgDatabase::available())                                            \
    GTEST_SKIP() << "CAUSALI_TEST_PG is not set: no PostgreSQL server for this test"
