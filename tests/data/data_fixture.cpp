#include "data_fixture.h"

#include "support/sql_rows.h"

namespace datatest {

DataTest::DataTest()
{
    connection.Open(database.connectionString());
    state.connection = &connection;
    state.CodLingua = QStringLiteral("ITA");
}

Rows DataTest::rows(const QString &sql) const
{
    return testsupport::queryRows(connection, sql);
}

long long DataTest::scalar(const QString &sql) const
{
    return testsupport::queryScalar(connection, sql);
}

void DataTest::exec(const QString &sql) const
{
    testsupport::execRaw(connection, sql);
}

bool DataTest::usesIndex(const QString &select) const
{
    QString plan;
    if (!database.onServer()) {
        for (const QStringList &row :
             rows(QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM ") + select))
            plan += row.join(' ') + '\n';
        return plan.contains(QLatin1String("USING INDEX"));
    }
    // A few rows are read fastest without an index: the server is told to use one when it can.
    exec(QStringLiteral("SET enable_seqscan = off"));
    for (const QStringList &row : rows(QStringLiteral("EXPLAIN SELECT * FROM ") + select))
        plan += row.join(' ') + '\n';
    exec(QStringLiteral("RESET enable_seqscan"));
    return plan.contains(QLatin1String("Index Scan"));
}

void DataTest::show(const QString &code)
{
    header.code = code;
    header.id = scalar(QStringLiteral("SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = '")
                       + code + QStringLiteral("'"));
    // The window reads the code's working copy when it shows the code.
    if (state.prepareFlags.sezionali)
        tables.loadWorkingCopy(code, header.id);
}

} // namespace datatest
