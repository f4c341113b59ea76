#include "exchange_fixture.h"

#include "support/sql_rows.h"

namespace toolstest {

ExchangeFixture::ExchangeFixture()
{
    source.Open(sourceFile.connectionString());
    target.Open(targetFile.connectionString());
    for (const char *table : {"CI03_CAUSALI", "CI05_PROPSEZ", "CI06_RICERCACONTO",
                              "CI10_PROPCONTICAUS", "CI11_CONTROLLOCONTI"})
        exec(target, QStringLiteral("DELETE FROM ") + QLatin1String(table));
    exec(target, QStringLiteral("DELETE FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903"));
}

void ExchangeFixture::exec(ado::Connection &connection, const QString &sql)
{
    testsupport::execRaw(connection, sql);
}

QStringList ExchangeFixture::column(ado::Connection &connection, const QString &sql)
{
    QStringList values;
    for (const QStringList &row : testsupport::queryRows(connection, sql))
        values << row.value(0);
    return values;
}

int ExchangeFixture::count(ado::Connection &connection, const QString &table)
{
    return column(connection, QStringLiteral("SELECT COUNT(*) FROM ") + table).value(0).toInt();
}

QStringList ExchangeFixture::acceptedDemoCodes()
{
    return {"ACQM", "AMMO", "CARP", "CESE", "COMM", "GIRO", "MOD1", "MOD2", "PROG", "RESI",
            "RETT", "RICA", "RIFM", "RIP1", "RIP2", "SCAR", "STOR", "STRA", "VEND"};
}

} // namespace toolstest
