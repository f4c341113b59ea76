#include "ado/connection.h"
#include "ado/recordset.h"

#include "ado/scratch_db.h"
#include "support/backend_db.h"

#include <QFile>

#include <set>

using namespace ado;
using adotest::errorOf;
using adotest::mentions;
using adotest::ScratchDb;

namespace {

// The SQLite file of the cases about the file itself: opening it, a full disk.
const char *const kSchema = R"(
CREATE TABLE a(id INTEGER PRIMARY KEY, name TEXT);
INSERT INTO a VALUES (1, 'one'), (2, 'two');
CREATE TABLE big(x BLOB);
CREATE TABLE u(x INTEGER UNIQUE, y BLOB);
CREATE TABLE seed(x INTEGER);
WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100)
INSERT INTO seed SELECT i FROM c;
)";

class ConnectionFileTest : public ::testing::Test
{
protected:
    void SetUp() override { conn.Open(db.connectionString()); }

    void execRaw(const char *sql)
    {
        ASSERT_EQ(sqlite3_exec(conn.handle(), sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(conn.handle());
    }
    // Lets the file grow no further than it is now.
    void capFileSize() { execRaw("PRAGMA max_page_count = 1"); }
    void uncapFileSize() { execRaw("PRAGMA max_page_count = 1073741823"); }
    void run(const char *sql) { conn.Execute(QString::fromUtf8(sql), nullptr, adCmdTextNoRecords); }

    ScratchDb db{kSchema};
    Connection conn;
};

// Statements, transactions and the row sets written in them, on each database.
class ConnectionTest : public testsupport::BackendTest
{
protected:
    const char *schema() const override
    {
        return "CREATE TABLE a(id INTEGER PRIMARY KEY, name VARCHAR(20));"
               "CREATE TABLE b(id INTEGER PRIMARY KEY, note VARCHAR(20));"
               "INSERT INTO a (id, name) VALUES (1, 'one'), (2, 'two');"
               "INSERT INTO b (id, note) VALUES (1, 'first')";
    }
    void run(const char *sql) { conn.Execute(QString::fromUtf8(sql), nullptr, adCmdTextNoRecords); }
    void execRaw(const char *sql) { db->exec(sql); }
};

INSTANTIATE_BACKENDS(ConnectionTest);

} // namespace

TEST(ConnectionOpen, OpensOnlyAnExistingDatabaseNamedByDataSource)
{
    EXPECT_EQ(dataSourceOf(QStringLiteral("Provider=X; data source = /tmp/a.db ;User ID=sa")),
              QStringLiteral("/tmp/a.db"));
    EXPECT_EQ(dataSourceOf(QStringLiteral("Data Source=\"/tmp/a;b.db\";Timeout=5")),
              QStringLiteral("/tmp/a;b.db"));
    EXPECT_EQ(dataSourceOf(QStringLiteral("DataSourceX=/tmp/a.db")), QString());

    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("nowhere.db"));
    Connection conn;
    const RuntimeError e = errorOf([&] { conn.Open(QStringLiteral("Data Source=") + missing); });
    EXPECT_EQ(e.number(), adErrProviderFailed);
    EXPECT_TRUE(mentions(e, missing));
    EXPECT_EQ(conn.State(), adStateClosed);
    EXPECT_FALSE(QFile::exists(missing)) << "Open must never create the file";
    ASSERT_EQ(conn.Errors().size(), 1u);
    EXPECT_TRUE(conn.Errors()[0].description.contains(missing));

    const QString garbage = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_TRUE(
        mentions(errorOf([&] { conn.Open(QStringLiteral("Data Source=") + garbage); }), garbage));
    EXPECT_EQ(conn.State(), adStateClosed);
    EXPECT_EQ(errorOf([&] { conn.Open(QStringLiteral("Initial Catalog=x")); }).number(),
              adErrProviderFailed);

    ScratchDb db(kSchema);
    conn.Open(QStringLiteral("DATA SOURCE=%1;Application Name=test").arg(db.path));
    EXPECT_EQ(errorOf([&] { conn.Open(db.connectionString()); }).number(), adErrObjectOpen);
    conn.Close();
    EXPECT_EQ(errorOf([&] { conn.Execute(QStringLiteral("SELECT 1")); }).number(),
              adErrObjectClosed);
    EXPECT_EQ(errorOf([&] { conn.Close(); }).number(), adErrObjectClosed);
}

TEST_P(ConnectionTest, ExecuteWithAndWithoutRecords)
{
    QVariant affected;
    EXPECT_EQ(conn.Execute(QStringLiteral("UPDATE a SET name = name || '!'"), &affected,
                           adCmdTextNoRecords),
              nullptr);
    EXPECT_EQ(affected.toLongLong(), 2);
    // A statement that changes no row must not report the previous statement's count.
    conn.Execute(QStringLiteral("CREATE TABLE c(x INTEGER)"), &affected, adCmdTextNoRecords);
    EXPECT_EQ(affected.toLongLong(), 0);
    EXPECT_EQ(conn.Execute(QStringLiteral("SELECT * FROM a"), &affected, adCmdTextNoRecords),
              nullptr);
    EXPECT_EQ(affected.toLongLong(), -1);

    const quint64 runs = conn.statementsRun();
    auto rows = conn.Execute(QStringLiteral("SELECT id, name FROM a ORDER BY id"), &affected);
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->State(), adStateOpen);
    EXPECT_EQ(rows->RecordCount(), 2);
    EXPECT_EQ(rows->Fields(1).Value().toString(), QStringLiteral("one!"));
    EXPECT_EQ(conn.statementsRun(), runs + 1);

    auto none = conn.Execute(QStringLiteral("DELETE FROM a WHERE id = 2"), &affected);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->State(), adStateClosed);
    EXPECT_EQ(affected.toLongLong(), 1);
    EXPECT_EQ(db->rows("SELECT id FROM a"), QStringList{QStringLiteral("1")});

    EXPECT_EQ(
        errorOf([&] { conn.Execute(QStringLiteral("a"), nullptr, adCmdStoredProc); }).number(),
        adErrInvalidArgument);

    // Close closes what was opened on the connection.
    conn.Close();
    EXPECT_EQ(rows->State(), adStateClosed);
}

TEST_P(ConnectionTest, OneStatementPerTextAndDoubleQuotesNameColumns)
{
    EXPECT_EQ(errorOf([&] {
                  run("INSERT INTO a VALUES (7, 'x'); INSERT INTO a VALUES (8, 'y')");
              }).number(),
              adErrUnsupportedSql);
    EXPECT_EQ(db->rows("SELECT count(*) FROM a"), QStringList{QStringLiteral("2")});
    run("INSERT INTO a VALUES (7, 'x');  \r\n");
    EXPECT_EQ(db->rows("SELECT count(*) FROM a"), QStringList{QStringLiteral("3")});

    // A misspelt column in double quotes is an error, not the string "nmae".
    EXPECT_TRUE(mentions(errorOf([&] { run("UPDATE a SET name = \"nmae\" WHERE id = 1"); }),
                         QStringLiteral("nmae")));
    run("UPDATE a SET name = \"id\" WHERE id = 1");
    EXPECT_EQ(db->rows("SELECT name FROM a WHERE id = 1"), QStringList{QStringLiteral("1")});
}

TEST_P(ConnectionTest, FailingStatementKeepsTheTransactionForRollback)
{
    const QStringList aBefore = db->rows("SELECT * FROM a ORDER BY id");
    const QStringList bBefore = db->rows("SELECT * FROM b ORDER BY id");

    testsupport::refuseWrites(conn, QStringLiteral("b"), QStringLiteral("DELETE"),
                              QStringLiteral("note refused"));
    EXPECT_EQ(conn.BeginTrans(), 1);
    run("UPDATE a SET name = 'changed'");
    run("INSERT INTO b VALUES (2, 'ok')");
    const RuntimeError e = errorOf([&] { run("DELETE FROM b WHERE id = 1"); });
    EXPECT_EQ(e.number(), adErrSqlError);
    EXPECT_TRUE(mentions(e, QLatin1String("note refused")));
    EXPECT_TRUE(mentions(e, QLatin1String("DELETE FROM b")));
    EXPECT_EQ(e.source(), QStringLiteral("ado.Connection"));

    // Still inside the transaction: on a file later statements belong to it (a server takes
    // none until the rollback); the rollback undoes everything.
    EXPECT_EQ(conn.transactionLevel(), 1);
    if (!onServer())
        run("INSERT INTO a VALUES (5, 'five')");
    conn.RollbackTrans();

    EXPECT_EQ(conn.transactionLevel(), 0);
    EXPECT_EQ(db->rows("SELECT * FROM a ORDER BY id"), aBefore);
    EXPECT_EQ(db->rows("SELECT * FROM b ORDER BY id"), bBefore);
}

TEST_P(ConnectionTest, TransactionRules)
{
    EXPECT_EQ(errorOf([&] { conn.CommitTrans(); }).number(), adErrIllegalOperation);
    EXPECT_EQ(errorOf([&] { conn.RollbackTrans(); }).number(), adErrIllegalOperation);

    // Inner levels are savepoints: rolling one back undoes only what it did.
    EXPECT_EQ(conn.BeginTrans(), 1);
    run("INSERT INTO a VALUES (3, 'three')");
    EXPECT_EQ(conn.BeginTrans(), 2);
    run("INSERT INTO a VALUES (4, 'four')");
    conn.RollbackTrans();
    EXPECT_EQ(conn.transactionLevel(), 1);
    EXPECT_EQ(conn.BeginTrans(), 2);
    run("INSERT INTO a VALUES (5, 'five')");
    conn.CommitTrans();
    EXPECT_EQ(errorOf([&] { conn.Close(); }).number(), adErrInTransaction);
    conn.CommitTrans();
    EXPECT_EQ(conn.transactionLevel(), 0);
    EXPECT_EQ(db->rows("SELECT name FROM a WHERE id > 2 ORDER BY id"),
              (QStringList{QStringLiteral("three"), QStringLiteral("five")}));

    // An inner level committed is undone with the outer one.
    conn.BeginTrans();
    conn.BeginTrans();
    run("INSERT INTO a VALUES (6, 'six')");
    conn.CommitTrans();
    conn.RollbackTrans();
    EXPECT_EQ(db->rows("SELECT name FROM a WHERE id = 6"), QStringList());
}

// Rows a row set wrote inside a transaction that is then rolled back are pending again, as they
// were before the write, so that a second UpdateBatch writes them; a commit keeps them written.
TEST_P(ConnectionTest, RollbackGivesRowSetsBackTheirPendingRows)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT id, name FROM a ORDER BY id"), &conn, adOpenStatic,
            adLockBatchOptimistic, adCmdText);
    rs.Fields(QStringLiteral("name")).setValue(QStringLiteral("uno"));
    rs.MoveNext();
    rs.Delete();
    rs.AddNew();
    rs.Fields(QStringLiteral("id")).setValue(7);
    rs.Fields(QStringLiteral("name")).setValue(QStringLiteral("seven"));
    rs.Update();

    conn.BeginTrans();
    conn.BeginTrans(); // the write sits in an inner level that is committed into the outer one
    rs.UpdateBatch();
    EXPECT_FALSE(rs.hasPendingChanges());
    conn.CommitTrans();
    conn.RollbackTrans();
    EXPECT_EQ(db->rows("SELECT name FROM a ORDER BY id"),
              (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    ASSERT_TRUE(rs.hasPendingChanges());
    rs.setFilter(QVariant::fromValue(long(adFilterPendingRecords)));
    EXPECT_EQ(rs.RecordCount(), 2); // the changed row and the new one (the deleted is hidden)
    rs.setFilter(QString());

    rs.UpdateBatch();
    EXPECT_FALSE(rs.hasPendingChanges());
    EXPECT_EQ(db->rows("SELECT name FROM a ORDER BY id"),
              (QStringList{QStringLiteral("uno"), QStringLiteral("seven")}));
}

// Resync with adResyncUnderlyingValues lets pending edits be written over what another
// program stored meanwhile; adResyncAllValues shows what is stored and drops the edits.
TEST_P(ConnectionTest, ResyncReadsTheStoredRowAgain)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT id, name FROM a ORDER BY id"), &conn, adOpenStatic,
            adLockBatchOptimistic, adCmdText);
    rs.Fields(QStringLiteral("name")).setValue(QStringLiteral("mine"));
    rs.Update();
    execRaw("UPDATE a SET name = 'theirs' WHERE id = 1");
    EXPECT_EQ(errorOf([&] { rs.UpdateBatch(); }).number(), adErrRowNotFound);

    rs.Resync(adAffectCurrent, adResyncUnderlyingValues);
    EXPECT_EQ(rs.Fields(QStringLiteral("name")).Value().toString(), QStringLiteral("mine"));
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT name FROM a WHERE id = 1"), QStringList{QStringLiteral("mine")});

    execRaw("UPDATE a SET name = 'again' WHERE id = 1");
    rs.Fields(QStringLiteral("name")).setValue(QStringLiteral("dropped"));
    rs.Update();
    rs.Resync(adAffectCurrent, adResyncAllValues);
    EXPECT_EQ(rs.Fields(QStringLiteral("name")).Value().toString(), QStringLiteral("again"));
    EXPECT_FALSE(rs.hasPendingChanges());

    execRaw("DELETE FROM a WHERE id = 1");
    EXPECT_EQ(errorOf([&] { rs.Resync(adAffectCurrent, adResyncAllValues); }).number(),
              adErrRowNotFound);
}

TEST_P(ConnectionTest, ErrorsSurviveSuccessfulCalls)
{
    EXPECT_TRUE(conn.Errors().empty());
    errorOf([&] { run("SELECT * FROM missing_table"); });
    run("UPDATE a SET name = name");
    conn.BeginTrans();
    conn.RollbackTrans();
    ASSERT_EQ(conn.Errors().size(), 1u);
    EXPECT_TRUE(conn.Errors()[0].description.contains(QLatin1String("missing_table")));
    EXPECT_EQ(conn.Errors()[0].number, adErrSqlError);

    // The next failure replaces it.
    errorOf([&] { run("INSERT INTO a VALUES (1, 'duplicate')"); });
    ASSERT_EQ(conn.Errors().size(), 1u);
    EXPECT_TRUE(conn.Errors()[0].description.contains(QLatin1String("unique"), Qt::CaseInsensitive))
        << conn.Errors()[0].description.toStdString();
    conn.clearErrors();
    EXPECT_TRUE(conn.Errors().empty());
}

// A full disk ends some statements inside a transaction. SQLite undoes the one statement when
// it has a statement journal (a multi-row insert into a table with a constraint) and the whole
// transaction otherwise (a single-row insert). Either way no later statement may run on its own.
TEST_F(ConnectionFileTest, DiskFullInsideATransaction)
{
    std::set<bool> outcomes; // true: the database rolled the transaction back
    for (const char *failing : {"INSERT INTO big VALUES (randomblob(400000))",
                                "INSERT INTO u(x, y) SELECT x, randomblob(5000) FROM seed"}) {
        SCOPED_TRACE(failing);
        conn.BeginTrans();
        run("INSERT INTO a VALUES (3, 'three')");
        capFileSize();
        const RuntimeError full = errorOf([&] { run(failing); });
        uncapFileSize();
        EXPECT_EQ(full.number(), adErrProviderFailed);
        EXPECT_TRUE(mentions(full, QLatin1String("full")));
        EXPECT_EQ(conn.transactionLevel(), 1);

        const bool lost = sqlite3_get_autocommit(conn.handle()) != 0;
        outcomes.insert(lost);
        if (lost) {
            const RuntimeError refused = errorOf([&] { run("INSERT INTO a VALUES (4, 'four')"); });
            EXPECT_TRUE(mentions(refused, QLatin1String("rolled the transaction back")));
            EXPECT_EQ(conn.Errors().size(), 1u);
            errorOf([&] { conn.Execute(QStringLiteral("SELECT * FROM a")); });
            errorOf([&] { conn.CommitTrans(); });
            EXPECT_EQ(db.rows("SELECT id FROM a WHERE id > 2"), QStringList());
        } else {
            run("INSERT INTO a VALUES (4, 'four')");
        }
        conn.RollbackTrans();
        EXPECT_EQ(conn.transactionLevel(), 0);
        EXPECT_EQ(db.rows("SELECT id FROM a WHERE id > 2"), QStringList());
        EXPECT_EQ(db.rows("SELECT count(*) FROM u"), QStringList{QStringLiteral("0")});
    }
    EXPECT_EQ(outcomes, (std::set<bool>{false, true}));

    // After the rollback statements run again.
    run("INSERT INTO a VALUES (6, 'six')");
    EXPECT_EQ(db.rows("SELECT name FROM a WHERE id = 6"), QStringList{QStringLiteral("six")});
}
