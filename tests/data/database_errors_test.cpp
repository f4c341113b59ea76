// The Italian causes of the database's refusals are the same whichever database refused.

#include "data/database_errors.h"

#include "ado/error.h"
#include "ado/recordset.h"
#include "support/backend_db.h"

#include <sqlite3.h>

namespace {

const char *const kSchema = R"(
CREATE TABLE parent(code VARCHAR(4) PRIMARY KEY, n INTEGER);
CREATE TABLE child(id INTEGER PRIMARY KEY, code VARCHAR(4) NOT NULL REFERENCES parent(code));
INSERT INTO parent (code, n) VALUES ('A', 1);
INSERT INTO child (id, code) VALUES (1, 'A')
)";

class DatabaseErrors : public testsupport::BackendTest
{
protected:
    const char *schema() const override { return kSchema; }

    // The cause the user is told for a statement the database refuses.
    QString causeOf(const char *sql)
    {
        try {
            conn.Execute(QString::fromUtf8(sql));
        } catch (const ado::RuntimeError &e) {
            inUse = causali::isDatabaseInUse(e, &conn);
            return causali::causaItaliana(e, &conn);
        }
        return QStringLiteral("(accepted)");
    }
    bool inUse = false;
};

TEST_P(DatabaseErrors, RefusalsHaveTheSameCause)
{
    EXPECT_EQ(causeOf("INSERT INTO parent (code) VALUES ('A')"),
              QStringLiteral("esiste già una riga con la stessa chiave"));
    EXPECT_FALSE(inUse);
    EXPECT_EQ(causeOf("INSERT INTO child (id, code) VALUES (2, 'Z')"),
              QStringLiteral("un dato collegato non esiste più nel database"));
    EXPECT_EQ(causeOf("INSERT INTO child (id) VALUES (3)"),
              QStringLiteral("manca un dato obbligatorio"));
    EXPECT_EQ(causeOf("DELETE FROM parent WHERE code = 'A'"),
              QStringLiteral("un dato collegato non esiste più nel database"));

    // Another program keeping the row locked past the wait: the database is in use.
    if (onServer())
        conn.Execute(QStringLiteral("SELECT set_config('lock_timeout', '200', false)"));
    else
        sqlite3_busy_timeout(conn.handle(), 50);
    const auto other = db->other();
    other->exec(onServer() ? "BEGIN" : "BEGIN IMMEDIATE");
    other->exec("UPDATE parent SET n = 2 WHERE code = 'A'");
    EXPECT_EQ(causeOf("UPDATE parent SET n = 3 WHERE code = 'A'"),
              QStringLiteral("il database è in uso da un altro programma"));
    EXPECT_TRUE(inUse);
    other->exec("ROLLBACK");

    // A server can also go away under the connection.
    if (onServer()) {
        const auto pid = conn.Execute(QStringLiteral("SELECT pg_backend_pid() AS pid"));
        other->exec(QStringLiteral("SELECT pg_terminate_backend(%1)")
                        .arg(pid->Fields(QStringLiteral("pid")).Value().toLongLong())
                        .toUtf8()
                        .constData());
        EXPECT_EQ(causeOf("SELECT n FROM parent"),
                  QStringLiteral("la connessione al server del database si è interrotta"));
    }
}

INSTANTIATE_BACKENDS(DatabaseErrors);

} // namespace
