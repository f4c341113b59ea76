#include "data_fixture.h"

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
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(connection.handle(), text.constData(), -1, &stmt, nullptr)
        != SQLITE_OK) {
        throw std::runtime_error(std::string("test query: ")
                                 + sqlite3_errmsg(connection.handle()) + " in " + text.constData());
    }
    Rows result;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            if (sqlite3_column_type(stmt, i) == SQLITE_NULL)
                row << QStringLiteral("<NULL>");
            else
                row << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)));
        }
        result << row;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw std::runtime_error("test query failed: " + sql.toStdString());
    return result;
}

long long DataTest::scalar(const QString &sql) const
{
    const Rows r = rows(sql);
    if (r.isEmpty() || r.first().isEmpty())
        throw std::runtime_error("test scalar without a row: " + sql.toStdString());
    return r.first().first().toLongLong();
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
}

} // namespace datatest
