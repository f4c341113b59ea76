#pragma once
// A throw-away database on either backend, for tests that must hold on both: an SQLite file, or
// a database of its own on the test server (server_db.h). Its rows are read and written with
// the raw client library of the backend (sql_rows.h), so that what a test checks does not go
// through the layer under test.
//
// A suite runs on both with
//     class MyTest : public testsupport::BackendTest { ... };
//     INSTANTIATE_BACKENDS(MyTest);
// and the PostgreSQL cases are skipped, with the reason, when CAUSALI_TEST_PG is not set.

#include "ado/connection.h"
#include "support/server_db.h"
#include "support/sql_rows.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

enum class BackendKind { SQLite, PostgreSQL };

class BackendDb
{
public:
    // Creates the database and runs `schemaSql` (statements separated by ';', in SQL both
    // backends accept). Throws std::runtime_error naming what failed.
    BackendDb(BackendKind kind, const char *schemaSql);
    ~BackendDb();
    BackendDb(const BackendDb &) = delete;
    BackendDb &operator=(const BackendDb &) = delete;

    BackendKind kind() const { return m_kind; }
    QString connectionString() const;
    // The rows of a query on a second connection, columns joined by '|', NULL as "NULL".
    QStringList rows(const char *sql) const;
    // Runs statements on a second connection (throws when one fails).
    void exec(const char *sql) const;
    // A second connection that stays open: a transaction of another program.
    std::unique_ptr<RawSql> other() const { return rawConnection(connectionString()); }

private:
    BackendKind m_kind;
    QTemporaryDir m_dir;
    QString m_path; // SQLite: the file
    std::unique_ptr<ScratchPgDatabase> m_server;
};

// Base of a suite that runs on each backend.
class BackendTest : public ::testing::TestWithParam<BackendKind>
{
protected:
    // The schema of the suite's database.
    virtual const char *schema() const = 0;
    void SetUp() override;

    bool onServer() const { return GetParam() == BackendKind::PostgreSQL; }

    std::unique_ptr<BackendDb> db;
    ado::Connection conn;
};

std::string backendName(const ::testing::TestParamInfo<BackendKind> &info);

} // namespace testsupport

#define INSTANTIATE_BACKENDS(suite) \
    INSTANTIATE_TEST_SUITE_P(Backends, suite, \
                             ::testing::Values(::testsupport::BackendKind::SQLite, \
                                               ::testsupport::BackendKind::PostgreSQL), \
                             ::testsupport::backendName)
