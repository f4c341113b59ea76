#pragma once
// The engine on a PostgreSQL server: the same schema, server functions and demo data as the
// SQLite file, in a database given by a libpq URI (postgresql:///causali?host=/run/pg) or
// key=value connection string.

#include <string>

namespace engine {

// What the role a connection logs in as may do with the reason codes: each right holds on the
// header table and on every satellite the editor writes.
struct WriteRights
{
    bool insert = false;
    bool update = false;
    bool remove = false;
};

// What preparePostgresDatabase found.
enum class PostgresContents {
    Created, // the database held none of the schema's tables: everything was created
    Present, // the schema was there already (brought to SchemaVersion if older)
};

// Gives the database at `connection` the schema, the server functions and the demo data when
// it holds none of the schema's tables, in one transaction: on failure nothing is left. Tables
// of other programs are left untouched. Programs starting together wait for each other (an
// advisory lock), so the contents are created once. Refused with engine::Error: a database that
// holds only some of the schema's tables, or a schema version newer than this program's.
// `rights`, when given, gets what the role may do, read on the same connection.
PostgresContents preparePostgresDatabase(const std::string &connection,
                                         WriteRights *rights = nullptr);

// generateReasonCodes (server.h) on the database at `connection`, in one transaction.
void generateReasonCodesPostgres(const std::string &connection, int reasonCodes,
                                 int rowsPerSatellite);

// The four FNCI_* functions and FNCG68_NUMERDESC as PostgreSQL functions (pg_functions.cpp),
// one script; preparePostgresDatabase runs it with the schema.
const char *postgresServerFunctions();

} // namespace engine
