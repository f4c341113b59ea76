// The demo data set as a whole and the demo database file.

#include "engine/demo_data.h"
#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace engine {

void fillDemoData(sqlite3 *db)
{
    SqliteSession session(db);
    fillDemoData(session);
}

void fillDemoData(Session &db)
{
    if (db.queryInt("SELECT COUNT(*) FROM CI03_CAUSALI") != 0)
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
        QFile::remove(path); // no half-made database is left behind
        throw;
    }
}

} // namespace engine
