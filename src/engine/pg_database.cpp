// Creating the database contents on PostgreSQL.

#include "engine/demo_data.h"
#include "engine/pg_session.h"
#include "engine/postgres.h"
#include "engine/schema.h"
#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <algorithm>

namespace engine {

namespace {

// The key of the advisory lock held while the contents are checked or created.
constexpr const char *SchemaLock = "SELECT pg_advisory_xact_lock(hashtext('causali schema'))";

// The schema's tables missing from the database (names as the schema writes them).
std::vector<std::string> missingTables(PgSession &db)
{
    std::vector<std::string> missing;
    for (const std::string &table : schemaTables()) {
        std::string lower = table;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (db.query("SELECT to_regclass('" + lower + "')").at(0).at(0) == std::nullopt)
            missing.push_back(table);
    }
    return missing;
}

std::string joined(const std::vector<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

void checkVersion(PgSession &db)
{
    if (db.query("SELECT to_regclass('causali_schema_version')").at(0).at(0) == std::nullopt)
        throw Error("the PostgreSQL database holds the tables of the reason codes but not"
                    " CAUSALI_SCHEMA_VERSION: it was not made by this program");
    const long long version = db.queryInt("SELECT MAX(VERSION) FROM CAUSALI_SCHEMA_VERSION");
    if (version > SchemaVersion)
        throw Error("the PostgreSQL database has schema version " + std::to_string(version)
                    + ", newer than this program's (" + std::to_string(SchemaVersion) + ")");
    // Version 2 is the first one on PostgreSQL: there is nothing older to bring forward.
}

} // namespace

// What the session's role may do on the tables the editor writes, in one query.
static WriteRights writeRightsOf(PgSession &db)
{
    const TextRows rows = db.query(
        "SELECT bool_and(has_table_privilege(t, 'INSERT')), bool_and(has_table_privilege(t,"
        " 'UPDATE')), bool_and(has_table_privilege(t, 'DELETE')) FROM unnest(ARRAY["
        "'ci03_causali', 'ci11_controlloconti', 'ci05_propsez', 'ci06_ricercaconto',"
        " 'ci10_propconticaus', 'ci99_deslingua']) AS t");
    const auto granted = [&](std::size_t column) {
        return !rows.empty() && rows[0].size() > column && rows[0][column]
               && *rows[0][column] == "t";
    };
    return {granted(0), granted(1), granted(2)};
}

PostgresContents preparePostgresDatabase(const std::string &connection, WriteRights *rights)
{
    PgSession db(connection);
    PgTransaction transaction(db);
    db.query(SchemaLock);
    // The rights are read once the tables exist, on the same connection.
    const auto finish = [&](PostgresContents contents) {
        if (rights)
            *rights = writeRightsOf(db);
        transaction.commit();
        return contents;
    };
    const std::vector<std::string> missing = missingTables(db);
    if (missing.empty()) {
        checkVersion(db);
        return finish(PostgresContents::Present);
    }
    if (missing.size() != schemaTables().size())
        throw Error("the PostgreSQL database holds only some of the tables of the reason codes;"
                    " missing: "
                    + joined(missing));
    db.exec(schemaScript(Dialect::Postgres));
    db.exec(postgresServerFunctions());
    fillDemoData(db);
    return finish(PostgresContents::Created);
}

void generateReasonCodesPostgres(const std::string &connection, int reasonCodes,
                                 int rowsPerSatellite)
{
    PgSession db(connection);
    PgTransaction transaction(db);
    generateReasonCodes(db, reasonCodes, rowsPerSatellite);
    transaction.commit();
}

} // namespace engine
