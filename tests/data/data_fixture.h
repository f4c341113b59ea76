#pragma once
// A demo database opened through the data-access layer, the shared window state pointing at it
// and a header that shows plain values; plus raw reads through the database's own client that
// check what the routines wrote without going through the code under test.

#include "ado/connection.h"
#include "ado/error.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "support/sql_rows.h"
#include "support/test_database.h"

#include <QList>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

namespace datatest {

using Rows = testsupport::Rows;

// The source of the run-time error body raises (a test failure, and "", when it raises none).
template<typename F>
QString errorSource(F &&body)
{
    try {
        body();
    } catch (const ado::RuntimeError &e) {
        return e.source();
    }
    ADD_FAILURE() << "no run-time error was raised";
    return QString();
}

class DataTest : public ::testing::Test
{
protected:
    DataTest();

    // Every row of a query as texts ("<NULL>" for NULL), read straight from the database on
    // the window's connection (so the temporary working tables are visible).
    Rows rows(const QString &sql) const;
    long long scalar(const QString &sql) const;
    // COUNT(*) of the table's rows that meet the condition.
    long long count(const QString &table, const QString &where) const
    {
        return scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where);
    }
    // Runs SQL directly on that connection (test setup: triggers, extra rows).
    void exec(const QString &sql) const;
    // testsupport::refuseWrites and allowWrites on the connection.
    void refuse(const QString &table, const QString &event, const QString &message) const
    {
        testsupport::refuseWrites(connection, table, event, message);
    }
    void allow(const QString &table) const { testsupport::allowWrites(connection, table); }
    // True when the database finds the rows of "SELECT * FROM <select>" through an index.
    bool usesIndex(const QString &select) const;
    // Shows a demo reason code in the header: its code and CI03_IDPROV, and (once the working
    // tables are prepared) its working copy.
    void show(const QString &code);
    // Creates the four working tables (empty).
    void prepareAll()
    {
        tables.PreparazioneTabellaSezionali();
        tables.PreparazioneTabellaRic();
        tables.PreparazioneTabellaSviluppo();
        tables.PreparazioneTabellaCausaliLingua();
    }

    testsupport::TestDatabase database;
    ado::Connection connection;
    causali::WindowState state;
    causali::HeaderValues header;
    causali::WorkingTables tables{state};
};

} // namespace datatest
