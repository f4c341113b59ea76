#pragma once
// Pieces of the demo data set, one per subject (demo_*.cpp), and the helper that inserts a
// literal table of rows.

#include <sqlite3.h>

#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

namespace engine {

// One cell of a literal row: NULL, an integer, a decimal number or a text.
class Cell
{
public:
    Cell(std::nullptr_t) {}
    Cell(int value) : m_value(static_cast<long long>(value)) {}
    Cell(long long value) : m_value(value) {}
    Cell(double value) : m_value(value) {}
    Cell(const char *value) : m_value(std::string(value)) {}
    Cell(std::string value) : m_value(std::move(value)) {}

    const std::variant<std::monostate, long long, double, std::string> &value() const
    {
        return m_value;
    }

private:
    std::variant<std::monostate, long long, double, std::string> m_value;
};

using Rows = std::vector<std::vector<Cell>>;

// Runs `sql` (an INSERT with one ? per cell) once per row; each row must have as many cells as
// the statement has parameters.
void insertRows(sqlite3 *db, const std::string &sql, const Rows &rows);

// Companies, registry, company settings, journals, languages and provenances.
void fillDemoCompanies(sqlite3 *db);
// Charts of accounts, accounts of every type, expense items, providers, field descriptions,
// posting models and their field designs.
void fillDemoCharts(sqlite3 *db);
// Reason-code headers, their account-type checks and their descriptions.
void fillDemoReasonCodes(sqlite3 *db);
// Default journals, search sequences and posting proposals of the demo reason codes.
void fillDemoSatellites(sqlite3 *db);
// Stock documents, production master data and reallocations that use demo reason codes.
void fillDemoUsage(sqlite3 *db);

} // namespace engine
