#include "engine/pg_session.h"

#include "engine/sqlite_util.h"

#include <libpq-fe.h>

#include <charconv>
#include <memory>

namespace engine {

namespace {

struct ResultDeleter
{
    void operator()(PGresult *result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

std::string shortened(const std::string &sql)
{
    if (sql.size() <= 200)
        return sql;
    std::string start = sql.substr(0, 200);
    start.append(3, '.');
    return start;
}

// The result of a command, or an Error naming `what` with the server's message.
Result checked(PGconn *conn, PGresult *raw, const std::string &what)
{
    Result result(raw);
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return result;
    std::string message = result ? PQresultErrorMessage(result.get()) : PQerrorMessage(conn);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    throw Error(what + ": " + message);
}

std::string cellText(const Cell &cell, bool &isNull)
{
    const auto &value = cell.value();
    isNull = false;
    if (const auto *number = std::get_if<long long>(&value))
        return std::to_string(*number);
    if (const auto *decimal = std::get_if<double>(&value)) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, *decimal).ptr;
        return std::string(buffer, end);
    }
    if (const auto *text = std::get_if<std::string>(&value))
        return *text;
    isNull = true;
    return {};
}

// Copies a quoted piece (', " or a comment) starting at `i` and returns the index after it.
size_t skipQuoted(const std::string &sql, size_t i, std::string &out)
{
    if (sql.compare(i, 2, "--") == 0) {
        const size_t end = sql.find('\n', i);
        const size_t stop = end == std::string::npos ? sql.size() : end;
        out.append(sql, i, stop - i);
        return stop;
    }
    if (sql.compare(i, 2, "/*") == 0) {
        const size_t end = sql.find("*/", i + 2);
        const size_t stop = end == std::string::npos ? sql.size() : end + 2;
        out.append(sql, i, stop - i);
        return stop;
    }
    const char quote = sql[i];
    size_t j = i + 1;
    while (j < sql.size() && sql[j] != quote)
        ++j;
    const size_t stop = j < sql.size() ? j + 1 : j;
    out.append(sql, i, stop - i);
    return stop; // a doubled quote reads as two quoted pieces side by side
}

} // namespace

std::string numberedParameters(const std::string &sql, int *count)
{
    std::string out;
    int next = 0;
    int highest = 0;
    for (size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || sql.compare(i, 2, "--") == 0 || sql.compare(i, 2, "/*") == 0) {
            i = skipQuoted(sql, i, out);
            continue;
        }
        if (c != '?') {
            out += c;
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9')
            ++j;
        const int number = j > i + 1 ? std::stoi(sql.substr(i + 1, j - i - 1)) : ++next;
        highest = std::max(highest, number);
        out += '$' + std::to_string(number);
        i = j;
    }
    if (count)
        *count = highest;
    return out;
}

PgSession::PgSession(const std::string &connection) : m_conn(PQconnectdb(connection.c_str()))
{
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        std::string message = m_conn ? PQerrorMessage(m_conn) : "out of memory";
        while (!message.empty() && message.back() == '\n')
            message.pop_back();
        PQfinish(m_conn);
        m_conn = nullptr;
        throw Error("cannot connect to the PostgreSQL database: " + message);
    }
    if (PQsetClientEncoding(m_conn, "UTF8") != 0) {
        PQfinish(m_conn);
        m_conn = nullptr;
        throw Error("the PostgreSQL server does not accept UTF8 as client encoding");
    }
    exec("SET client_min_messages = warning");
}

PgSession::~PgSession()
{
    PQfinish(m_conn);
}

void PgSession::exec(const std::string &sql)
{
    checked(m_conn, PQexec(m_conn, sql.c_str()), "SQL error in \"" + shortened(sql) + "\"");
}

void PgSession::run(const std::string &sql, const std::vector<Cell> &values)
{
    auto found = m_prepared.find(sql);
    if (found == m_prepared.end()) {
        Prepared prepared{"causali_" + std::to_string(m_prepared.size() + 1), 0};
        const std::string text = numberedParameters(sql, &prepared.parameters);
        checked(m_conn, PQprepare(m_conn, prepared.name.c_str(), text.c_str(), 0, nullptr),
                "cannot prepare \"" + shortened(sql) + "\"");
        found = m_prepared.emplace(sql, prepared).first;
    }
    const Prepared &prepared = found->second;
    if (int(values.size()) != prepared.parameters) {
        throw Error("a row of \"" + sql + "\" has " + std::to_string(values.size()) + " cells for "
                    + std::to_string(prepared.parameters) + " parameters");
    }
    std::vector<std::string> texts(values.size());
    std::vector<const char *> pointers(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        bool isNull = false;
        texts[i] = cellText(values[i], isNull);
        pointers[i] = isNull ? nullptr : texts[i].c_str();
    }
    checked(m_conn,
            PQexecPrepared(m_conn, prepared.name.c_str(), int(values.size()), pointers.data(),
                           nullptr, nullptr, 0),
            "cannot run \"" + shortened(sql) + "\"");
}

TextRows PgSession::query(const std::string &sql)
{
    const Result result = checked(m_conn, PQexec(m_conn, sql.c_str()),
                                  "SQL error in \"" + shortened(sql) + "\"");
    TextRows rows;
    const int columns = PQnfields(result.get());
    for (int r = 0; r < PQntuples(result.get()); ++r) {
        auto &row = rows.emplace_back();
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(result.get(), r, c))
                row.emplace_back();
            else
                row.emplace_back(PQgetvalue(result.get(), r, c));
        }
    }
    return rows;
}

PgTransaction::PgTransaction(PgSession &session) : m_session(session)
{
    m_session.exec("BEGIN");
}

PgTransaction::~PgTransaction()
{
    if (!m_done)
        PQclear(PQexec(m_session.handle(), "ROLLBACK"));
}

void PgTransaction::commit()
{
    m_session.exec("COMMIT");
    m_done = true;
}

} // namespace engine
