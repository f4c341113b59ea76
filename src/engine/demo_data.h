#pragma once
// Pieces of the demo data set, one per subject (demo_*.cpp). They write through a Session, so
// that the same rows go into an SQLite file and into a PostgreSQL database.

#include "engine/session.h"

#include <string>

namespace engine {

// Runs `sql` (an INSERT with one parameter per cell) once per row.
inline void insertRows(Session &db, const std::string &sql, const Rows &rows)
{
    db.insertRows(sql, rows);
}

// The whole demo data set, in an empty schema (an error when reason codes exist).
void fillDemoData(Session &db);

// Companies, registry, company settings, journals, languages and provenances.
void fillDemoCompanies(Session &db);
// Charts of accounts, accounts of every type, expense items, providers, field descriptions,
// posting models and their field designs.
void fillDemoCharts(Session &db);
// Reason-code headers, their account-type checks and their descriptions.
void fillDemoReasonCodes(Session &db);
// Default journals, search sequences and posting proposals of the demo reason codes.
void fillDemoSatellites(Session &db);
// Stock documents, production master data and reallocations that use demo reason codes.
void fillDemoUsage(Session &db);

// The generated reason codes of generateReasonCodes (server.h), on either engine; the caller
// holds the transaction.
void generateReasonCodes(Session &db, int reasonCodes, int rowsPerSatellite);

} // namespace engine
