#pragma once
// A libpq connection as an engine Session: statements with ? or ?N parameters are numbered
// $1.. for PostgreSQL and prepared once per text; cells go as text, typed by the server.

#include "engine/session.h"

#include <map>
#include <string>

struct pg_conn;

namespace engine {

// `sql` with its ? and ?N parameters numbered $1, $2, .. ($N for ?N) as PostgreSQL writes them;
// string literals, quoted names and comments are left alone. `count` gets the highest number.
std::string numberedParameters(const std::string &sql, int *count = nullptr);

class PgSession : public Session
{
public:
    // Connects to `connection` (a libpq URI or key=value string) with UTF8 as client encoding.
    explicit PgSession(const std::string &connection);
    ~PgSession() override;
    PgSession(const PgSession &) = delete;
    PgSession &operator=(const PgSession &) = delete;

    void run(const std::string &sql, const std::vector<Cell> &values) override;
    TextRows query(const std::string &sql) override;
    // Runs one or more statements without parameters.
    void exec(const std::string &sql);

    pg_conn *handle() const { return m_conn; }

private:
    pg_conn *m_conn = nullptr;
    struct Prepared
    {
        std::string name;
        int parameters = 0;
    };
    std::map<std::string, Prepared> m_prepared;
};

// A transaction on a PgSession that rolls back unless committed.
class PgTransaction
{
public:
    explicit PgTransaction(PgSession &session);
    ~PgTransaction();
    void commit();

private:
    PgSession &m_session;
    bool m_done = false;
};

} // namespace engine
