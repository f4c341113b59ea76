// The demo data set as a whole and the demo database file.

#include "engine/demo_data.h"
#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace engine {

void insertRows(sqlite3 *db, const std::string &sql, const Rows &rows)
{
    Statement insert(db, sql);
    const int parameters = sqlite3_bind_parameter_count(insert.handle());
    for (const auto &row : rows) {
        if (int(row.size()) != parameters) {
            throw Error("demo data: a row of \"" + sql + "\" has " + std::to_string(row.size())
                        + " cells for " + std::to_string(parameters) + " parameters");
        }
        int index = 1;
        for (const Cell &cell : row) {
            const auto &value = cell.value();
            if (const auto *number = std::get_if<long long>(&value))
                insert.bind(index, *number);
            else if (const auto *decimal = std::get_if<double>(&value))
                insert.bind(index, *decimal);
            else if (const auto *text = std::get_if<std::string>(&value))
                insert.bind(index, *text);
            else
                insert.bindNull(index);
            ++index;
        }
        insert.run();
    }
}

void fillDemoData(sqlite3 *db)
{
    if (!db)
        throw Error("fillDemoData: no connection");
    if (queryInt(db, "SELECT COUNT(*) FROM CI03_CAUSALI") != 0)
        throw Error("fillDemoData: the database already holds reason codes");
    fillDemoCompanies(db);
    fillDemoCharts(db);
    fillDemoReasonCodes(db);
    fillDemoSatellites(db);
    fillDemoUsage(db);
}

namespace {

struct Closer
{
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};

} // namespace

void createDemoDatabase(const QString &path)
{
    if (path.isEmpty())
        throw Error("createDemoDatabase: no file name given");
    if (QFileInfo::exists(path))
        throw Error("createDemoDatabase: " + path.toStdString() + " already exists");
    const QByteArray name = path.toUtf8();
    sqlite3 *handle = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &handle,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, Closer> db(handle);
    if (rc != SQLITE_OK) {
        throw Error("createDemoDatabase: cannot create " + path.toStdString() + ": "
                    + (handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc)));
    }
    try {
        registerServerFunctions(db.get());
        Transaction transaction(db.get());
        createSchema(db.get());
        fillDemoData(db.get());
        transaction.commit();
    } catch (...) {
        db.reset();
        QFile::remove(path);    // no half-made database is left behind
        throw;
    }
}

} // namespace engine
