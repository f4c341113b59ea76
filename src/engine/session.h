#pragma once
// One connection to either database engine, as the schema, the demo data and the reason-code
// generator use it: statements with ? (or ?N) parameters run with literal cells, queries give
// their cells as text. SqliteSession is the SQLite side; the PostgreSQL side is in
// pg_session.h.

#include <sqlite3.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace engine {

class Statement;

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
// A query's rows; a cell is its value as text, or nothing for NULL.
using TextRows = std::vector<std::vector<std::optional<std::string>>>;

class Session
{
public:
    virtual ~Session() = default;
    // Runs one statement once with `values`, one per parameter (an error otherwise).
    virtual void run(const std::string &sql, const std::vector<Cell> &values) = 0;
    // The rows of one query without parameters.
    virtual TextRows query(const std::string &sql) = 0;

    // Runs `sql` once per row.
    void insertRows(const std::string &sql, const Rows &rows);
    // The first column of the first row as a number; 0 for NULL, an error without a row.
    long long queryInt(const std::string &sql);
};

// A session on an open SQLite connection (not owned). Statements are prepared once per text.
class SqliteSession : public Session
{
public:
    explicit SqliteSession(sqlite3 *db);
    ~SqliteSession() override;

    void run(const std::string &sql, const std::vector<Cell> &values) override;
    TextRows query(const std::string &sql) override;

private:
    sqlite3 *m_db;
    std::map<std::string, std::unique_ptr<Statement>> m_statements;
};

} // namespace engine
