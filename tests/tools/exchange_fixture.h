#pragma once
// Two demo databases for the exchange and check tests: `source` as the demo makes it, `target`
// with every reason code removed (companies, charts, models and providers kept), and raw reads
// of both.

#include "ado/connection.h"
#include "support/test_database.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace toolstest {

class ExchangeFixture : public ::testing::Test
{
protected:
    ExchangeFixture();

    // Runs a statement on a database as it is (test setup and damage), through the database's
    // own client, on the connection's session.
    static void exec(ado::Connection &connection, const QString &sql);
    // The first column of every row of a query, as texts ("<NULL>" for NULL), read the same way.
    static QStringList column(ado::Connection &connection, const QString &sql);
    static int count(ado::Connection &connection, const QString &table);

    // The codes of the demo that the editor would save as they are: every one except CHIU (no
    // account types) and ENER (a journal its company lacks).
    static QStringList acceptedDemoCodes();

    testsupport::TestDatabase sourceFile;
    testsupport::TestDatabase targetFile;
    ado::Connection source;
    ado::Connection target;
};

} // namespace toolstest
