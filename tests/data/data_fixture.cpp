#include "data_fixture.h"

#include "support/sql_rows.h"

#include <sqlite3.h>

#include <stdexcept>

namespace datatest {

DataTest::DataTest()
{
    connection.Open(database.connectionString());
    state.connection = &connection;
    state.CodLingua = QStringLiteral("ITA");
}

Rows DataTest::rows(const QString &sql) const
{
    return testsupport::queryRows(connection.handle(), sql);
}

long long DataTest::scalar(const QString &sql) const
{
    return testsupport::queryScalar(connection.handle(), sql);
}

void DataTest::exec(const QString &sql) const
{
    char *message = nullptr;
    if (sqlite3_exec(connection.handle(), sql.toUtf8().constData(), nullptr, nullptr, &message)
        != SQLITE_OK) {
        const std::string error = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("test exec: " + error + " in " + sql.toStdString());
    }
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
