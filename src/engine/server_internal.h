#pragma once
// Pieces of the server functions shared between the engine's source files.

#include <sqlite3.h>

namespace engine {

// Registers the eponymous table function FNCG68_NUMERDESC(journal, company).
void registerJournalDescription(sqlite3 *db);

// A data movement 0..3 given as a number or a numeric text; -1 for anything else.
int movementValue(sqlite3_value *value);

} // namespace engine
