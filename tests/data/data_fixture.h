#pragma once
// A demo database opened through the data-access layer, the shared window state pointing at it
// and a header that shows plain values; plus raw SQLite reads that check what the routines
// wrote without going through the code under test.

#include "ado/connection.h"
#include "data/window_state.h"
#include "support/sql_rows.h"
#include "support/test_database.h"

#include <QList>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

namespace datatest {

using Rows = testsupport::Rows;

class FakeHeader : public causali::HeaderView
{
public:
    QVariant code;
    QVariant id;
    QString description;

    QVariant causaleText() const override { return code; }
    QVariant idProv() const override { return id; }
    QString descrizioneText() const override { return description; }
};

class DataTest : public ::testing::Test
{
protected:
    DataTest();

    // Every row of a query as texts ("<NULL>" for NULL), read straight from SQLite on the
    // window's connection (so the temporary working tables are visible).
    Rows rows(const QString &sql) const;
    long long scalar(const QString &sql) const;
    // Runs SQLite SQL directly (test setup: triggers, extra rows).
    void exec(const QString &sql) const;
    // Shows a demo reason code in the header: its code and CI03_IDPROV.
    void show(const QString &code);

    testsupport::TestDatabase database;
    ado::Connection connection;
    causali::WindowState state;
    FakeHeader header;
};

} // namespace datatest
