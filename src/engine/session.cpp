#include "engine/session.h"

#include "engine/sqlite_util.h"

namespace engine {

void Session::insertRows(const std::string &sql, const Rows &rows)
{
    for (const auto &row : rows)
        run(sql, row);
}

long long Session::queryInt(const std::string &sql)
{
    const TextRows rows = query(sql);
    if (rows.empty() || rows.front().empty())
        throw Error("no result from \"" + sql + "\"");
    const std::optional<std::string> &cell = rows.front().front();
    try {
        return cell ? std::stoll(*cell) : 0;
    } catch (const std::logic_error &) {
        throw Error("not a number from \"" + sql + "\": " + *cell);
    }
}

SqliteSession::SqliteSession(sqlite3 *db) : m_db(db)
{
    if (!db)
        throw Error("no connection");
}

SqliteSession::~SqliteSession() = default;

void SqliteSession::run(const std::string &sql, const std::vector<Cell> &values)
{
    auto &slot = m_statements[sql];
    if (!slot)
        slot = std::make_unique<Statement>(m_db, sql);
    Statement &statement = *slot;
    const int parameters = sqlite3_bind_parameter_count(statement.handle());
    if (int(values.size()) != parameters) {
        throw Error("a row of \"" + sql + "\" has " + std::to_string(values.size()) + " cells for "
                    + std::to_string(parameters) + " parameters");
    }
    int index = 1;
    for (const Cell &cell : values) {
        const auto &value = cell.value();
        if (const auto *number = std::get_if<long long>(&value))
            statement.bind(index, *number);
        else if (const auto *decimal = std::get_if<double>(&value))
            statement.bind(index, *decimal);
        else if (const auto *text = std::get_if<std::string>(&value))
            statement.bind(index, *text);
        else
            statement.bindNull(index);
        ++index;
    }
    statement.run();
}

TextRows SqliteSession::query(const std::string &sql)
{
    Statement statement(m_db, sql);
    TextRows rows;
    const int columns = sqlite3_column_count(statement.handle());
    while (statement.step()) {
        auto &row = rows.emplace_back();
        for (int i = 0; i < columns; ++i) {
            if (statement.isNull(i))
                row.emplace_back();
            else
                row.emplace_back(statement.textColumn(i));
        }
    }
    return rows;
}

} // namespace engine
