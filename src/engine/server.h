#pragma once
// The database that stands in for the server: its schema, its functions, its demo data.

#include <QString>

struct sqlite3;

namespace engine {

// Registers on a connection what the server offers to every session: the four FNCI_*
// functions, the table-valued FNCG68_NUMERDESC and the busy timeout. Called by
// ado::Connection::Open on every connection it opens.
void registerServerFunctions(sqlite3 *db);

// The version of the schema this program writes (kept in the file's user_version).
constexpr int SchemaVersion = 2;

// Creates every table, index and trigger in an empty database.
void createSchema(sqlite3 *db);

// Brings a database made by an earlier version of the program to SchemaVersion, in place;
// nothing is refused and nothing of the data changes.
void upgradeSchema(sqlite3 *db);

// Fills an empty schema with the demo data set (realistic Italian companies, charts, reason
// codes with all their satellites).
void fillDemoData(sqlite3 *db);

// Adds `reasonCodes` generated reason codes with `rowsPerSatellite` rows (0..255) in each list
// satellite (default journals, search sequence, proposal), two account-type check rows and an
// ITA and ENG description each, in one transaction (benchmarks). Codes are four base-36
// characters starting with a digit ("0000".."9ZZZ"), distinct from the demo ones (letters);
// a later call continues after the highest generated code. Companies are added when fewer
// than `rowsPerSatellite` exist.
void generateReasonCodes(sqlite3 *db, int reasonCodes, int rowsPerSatellite);

// Creates a database file at `path` (which must not exist) with schema and demo data, in one
// transaction; on failure no file is left behind.
//
// Every function here reports a failure by throwing engine::Error (engine/sqlite_util.h), a
// std::runtime_error whose message says what failed.
void createDemoDatabase(const QString &path);

} // namespace engine
