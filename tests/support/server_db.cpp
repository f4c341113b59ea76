#include "support/scratch_pg.h"

#include "engine/pg_session.h"
#include "engine/sqlite_util.h"

#include <libpq-fe.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace testsupport {

namespace {

std::string server()
{
    const char *value = std::getenv("CAUSALI_TEST_PG");
    return value ? value : "";
}

// A key=value connection string: the options of `connection` with dbname replaced.
std::string withDatabase(const std::string &connection, const std::string &name)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(connection.c_str(), &error);
    if (!options) {
        const std::string message = error ? error : "out of memory";
        PQfreemem(error);
        throw engine::Error("CAUSALI_TEST_PG: " + message);
    }
    std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption *)> owner(options,
                                                                          PQconninfoFree);
    std::string result = "dbname='" + name + "'";
    for (PQconninfoOption *o = options; o->keyword; ++o) {
        if (!o->val || std::string(o->keyword) == "dbname")
            continue;
        std::string value;
        for (const char *c = o->val; *c; ++c) {
            if (*c == '\'' || *c == '\\')
                value += '\\';
            value += *c;
        }
        result += std::string(" ") + o->keyword + "='" + value + "'";
    }
    return result;
}

std::string comparable(const std::optional<std::string> &cell)
{
    if (!cell)
        return "<NULL>";
    std::string text = *cell;
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    char *end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (!text.empty() && end && *end == '\0' && text.find_first_of("xXnN") == std::string::npos)
        return "#" + std::to_string(std::llround(number * 10000));
    return text;
}

} // namespace

std::vector<std::string> comparableRows(engine::Session &db, const std::string &sql)
{
    std::vector<std::string> rows;
    for (const auto &row : db.query(sql)) {
        std::string line;
        for (const auto &cell : row)
            line += comparable(cell) + "|";
        rows.push_back(line);
    }
    return rows;
}

bool ScratchPgDatabase::available()
{
    return !server().empty();
}

ScratchPgDatabase::ScratchPgDatabase()
    : m_server(server())
{
    static std::atomic<int> counter{0};
    m_name = "causali_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    engine::PgSession admin(m_server);
    admin.exec("DROP DATABASE IF EXISTS " + m_name);
    admin.exec("CREATE DATABASE " + m_name);
    m_connection = withDatabase(m_server, m_name);
}

ScratchPgDatabase::~ScratchPgDatabase()
{
    try {
        engine::PgSession admin(m_server);
        admin.exec("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
    } catch (const engine::Error &) {
        // The throwaway cluster goes with the test run; a leftover database harms nothing.
    }
}

} // namespace testsupport
