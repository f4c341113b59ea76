#pragma once
// The database that stands in for the server: its schema, its functions, its demo data.

#include <QString>

struct sqlite3;

namespace engine {

// Registers on a connection what the server offers to every session: the four FNCI_*
// functions, the table-valued FNCG68_NUMERDESC and the busy timeout. Called by
// ado::Connection::Open on every connection it opens.
void registerServerFunctions(sqlite3 *db);

// Creates every table, index and trigger in an empty database.
void createSchema(sqlite3 *db);

// Fills an empty schema with the demo data set (realistic Italian companies, charts, reason
// codes with all their satellites).
void fillDemoData(sqlite3 *db);

// Adds `reasonCodes` generated reason codes with `rowsPerSatellite` rows in each satellite
// (benchmarks). Codes are "G000".."GZZZ"-like, four characters, distinct from the demo ones.
void generateReasonCodes(sqlite3 *db, int reasonCodes, int rowsPerSatellite);

// Creates a database file at `path` (which must not exist) with schema and demo data.
void createDemoDatabase(const QString &path);

} // namespace engine
