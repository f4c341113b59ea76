#include "support/server_db.h"

#include "engine/pg_session.h"
#include "engine/postgres.h"
#include "engine/sqlite_util.h"

#include <libpq-fe.h>

#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

namespace {

std::string server()
{
    const char *value = std::getenv("CAUSALI_TEST_PG");
    return value ? value : "";
}

std::string percentEncoded(const std::string &text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// A libpq URI with the options of `connection` (URI or key=value string) and database `name`.
std::string uriWithDatabase(const std::string &connection, const std::string &name)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(connection.c_str(), &error);
    if (!options) {
        const std::string message = error ? error : "out of memory";
        PQfreemem(error);
        throw engine::Error("CAUSALI_TEST_PG: " + message);
    }
    std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption *)> owner(options, PQconninfoFree);
    std::string query;
    for (PQconninfoOption *o = options; o->keyword; ++o) {
        if (!o->val || std::string(o->keyword) == "dbname")
            continue;
        query += (query.empty() ? "?" : "&") + std::string(o->keyword) + "="
                 + percentEncoded(o->val);
    }
    return "postgresql:///" + name + query;
}

std::string quotedLiteral(const std::string &text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The running test program and when it was built: a template made by another build of the
// same program (other demo data, another schema) is not used.
std::string programIdentity(std::string &path)
{
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    path = length > 0 ? std::string(buffer, size_t(length)) : std::string("test");
    struct stat info
    {
    };
    const long long built = stat(path.c_str(), &info) == 0 ? (long long)info.st_mtime : 0;
    char name[64];
    std::snprintf(name, sizeof name, "causali_template_%016zx",
                  std::hash<std::string>{}(path + "@" + std::to_string(built)));
    return name;
}

// Makes the demo template of this program unless it exists; the caller holds the lock.
void ensureDemoTemplate(engine::PgSession &admin, const std::string &server,
                        const std::string &name, const std::string &program)
{
    if (!admin.query("SELECT 1 FROM pg_database WHERE datistemplate AND datname = '" + name + "'")
             .empty())
        return;
    // Templates of earlier builds of this program go.
    for (const auto &row :
         admin.query("SELECT datname FROM pg_database WHERE datistemplate AND datname LIKE "
                     "'causali_template_%' AND shobj_description(oid, 'pg_database') = "
                     + quotedLiteral(program))) {
        admin.exec("ALTER DATABASE " + *row[0] + " IS_TEMPLATE false");
        admin.exec("DROP DATABASE " + *row[0] + " WITH (FORCE)");
    }
    admin.exec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    admin.exec("CREATE DATABASE " + name);
    try {
        engine::preparePostgresDatabase(uriWithDatabase(server, name));
    } catch (const engine::Error &) {
        admin.exec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
        throw;
    }
    // Marked as a template only when complete: a half-made one is made again.
    admin.exec("COMMENT ON DATABASE " + name + " IS " + quotedLiteral(program) + "; ALTER DATABASE "
               + name + " IS_TEMPLATE true");
}

// Holds a lock of the server for the scope: test programs running together make the template
// once, and none drops it while another copies it.
class TemplateLock
{
public:
    explicit TemplateLock(engine::PgSession &admin) : m_admin(admin)
    {
        m_admin.query("SELECT pg_advisory_lock(hashtext('causali test template'))");
    }
    ~TemplateLock()
    {
        try {
            m_admin.query("SELECT pg_advisory_unlock(hashtext('causali test template'))");
        } catch (const engine::Error &) {
            // The lock goes with the session.
        }
    }
    TemplateLock(const TemplateLock &) = delete;
    TemplateLock &operator=(const TemplateLock &) = delete;

private:
    engine::PgSession &m_admin;
};

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

bool testServerAvailable()
{
    return !server().empty();
}

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

ScratchPgDatabase::ScratchPgDatabase(Contents contents) : m_server(server())
{
    if (m_server.empty())
        throw engine::Error(NoTestServer);
    static std::atomic<int> counter{0};
    m_name = "causali_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    engine::PgSession admin(m_server);
    admin.exec("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
    if (contents == Contents::Empty) {
        admin.exec("CREATE DATABASE " + m_name);
    } else {
        std::string program;
        const std::string templateName = programIdentity(program);
        TemplateLock lock(admin);
        ensureDemoTemplate(admin, m_server, templateName, program);
        admin.exec("CREATE DATABASE " + m_name + " TEMPLATE " + templateName);
    }
    m_connection = uriWithDatabase(m_server, m_name);
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
