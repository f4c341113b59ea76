#pragma once
// Databases on the test server, the PostgreSQL server that CAUSALI_TEST_PG names (a libpq URI
// or connection string; scripts/test starts a throwaway cluster and sets it). Every test that
// needs the server makes its own database here, dropped with the object even when the test
// fails; tests of the server side skip themselves, with the reason, when it is not set.

#include "engine/session.h"

#include <string>
#include <vector>

namespace testsupport {

// True when CAUSALI_TEST_PG is set.
bool testServerAvailable();
// Why a test of the server side is skipped.
inline const char *const NoTestServer =
    "CAUSALI_TEST_PG is not set: no PostgreSQL server for this test (set it to the libpq URI of "
    "a server where databases may be created and dropped)";

// The rows of a query, one text per row, as both engines can agree on them: numbers by value
// (60.0, 60.00 and 60 alike), texts without the blanks that fixed-length columns add, NULL as
// <NULL>; cells end with '|'.
std::vector<std::string> comparableRows(engine::Session &db, const std::string &sql);

class ScratchPgDatabase
{
public:
    enum class Contents {
        Empty,
        // The schema, the server functions and the demo data, as the program prepares a server
        // database (copied from a template database made once per test program build).
        Demo
    };

    // Creates a database with a name of its own; dropped by the destructor. Throws
    // engine::Error naming what failed.
    explicit ScratchPgDatabase(Contents contents = Contents::Empty);
    ~ScratchPgDatabase();
    ScratchPgDatabase(const ScratchPgDatabase &) = delete;
    ScratchPgDatabase &operator=(const ScratchPgDatabase &) = delete;

    // The libpq URI of the new database (what engine::PgSession and ado::Connection take).
    const std::string &connection() const { return m_connection; }

private:
    std::string m_server;
    std::string m_name;
    std::string m_connection;
};

} // namespace testsupport

// The first statement of a test of the server side.
#define SKIP_WITHOUT_POSTGRES() \
    if (!testsupport::testServerAvailable()) \
    GTEST_SKIP() << testsupport::NoTestServer
