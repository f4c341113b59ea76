#pragma once
// The schema as text, for either engine (schema.cpp describes it).

#include <string>
#include <vector>

namespace engine {

enum class Dialect { Sqlite, Postgres };

// Every statement that creates the schema (tables, the view, indexes, the identity of
// CI03_IDPROV; on PostgreSQL also the schema-version table with its row), as one script.
std::string schemaScript(Dialect dialect);

// The names of the schema's tables, as the script writes them.
std::vector<std::string> schemaTables();

} // namespace engine
