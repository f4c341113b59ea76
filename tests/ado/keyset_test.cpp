// Keyset row sets (a server cursor of type adOpenKeyset): the keys read at Open, a row's other
// values when first needed, everything else as with a client cursor.

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/scratch_db.h"
#include "support/backend_db.h"

using namespace ado;
using adotest::errorOf;

namespace {

const char *const kSchema = R"(
CREATE TABLE cau(code VARCHAR(10) PRIMARY KEY, descr TEXT, n INTEGER);
WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 200)
INSERT INTO cau SELECT 'K' || substr(CAST(1201 - i AS VARCHAR(4)), 2), 'descr ' || i, i FROM c;
CREATE TABLE nokey(code TEXT, descr TEXT);
INSERT INTO nokey VALUES ('A', 'uno'), ('B', 'due')
)";

class KeysetTest : public testsupport::BackendTest
{
protected:
    const char *schema() const override { return kSchema; }
    void open(Recordset &rs, const char *sql)
    {
        rs.setCursorLocation(adUseServer);
        rs.Open(QString::fromUtf8(sql), &conn, adOpenKeyset, adLockBatchOptimistic, adCmdText);
    }
    void execRaw(const char *sql) { db->exec(sql); }
    static QString field(Recordset &rs, const char *name)
    {
        const QVariant v = rs.Fields(QString::fromUtf8(name)).Value();
        return isNull(v) ? QStringLiteral("<NULL>") : v.toString();
    }
};

// The row set shows what a client cursor shows, reading a row's values only when they are
// asked for: the keys, a sort on them and moves cost no statement; a walk over every value
// costs a bounded number of statements, not one a row.
TEST_P(KeysetTest, ValuesAreReadWhenFirstNeededAndMatchAWholeRead)
{
    Recordset whole;
    whole.Open(QStringLiteral("SELECT code, descr, n FROM cau"), &conn, adOpenStatic,
               adLockBatchOptimistic, adCmdText);
    whole.setSort(QStringLiteral("code"));
    Recordset rs;
    open(rs, "SELECT code, descr, n FROM cau");
    EXPECT_EQ(rs.RecordCount(), 200);

    quint64 before = conn.statementsRun();
    rs.setSort(QStringLiteral("code"));
    rs.MoveLast();
    EXPECT_EQ(field(rs, "code"), QStringLiteral("K200"));
    EXPECT_EQ(conn.statementsRun(), before);
    EXPECT_EQ(field(rs, "descr"), QStringLiteral("descr 1"));
    EXPECT_EQ(conn.statementsRun(), before + 1);
    EXPECT_EQ(field(rs, "n"), QStringLiteral("1"));
    EXPECT_EQ(conn.statementsRun(), before + 1);

    before = conn.statementsRun();
    rs.MoveFirst();
    whole.MoveFirst();
    for (; !rs.isEOF(); rs.MoveNext(), whole.MoveNext()) {
        ASSERT_FALSE(whole.isEOF());
        EXPECT_EQ(field(rs, "code") + field(rs, "descr") + field(rs, "n"),
                  field(whole, "code") + field(whole, "descr") + field(whole, "n"));
    }
    EXPECT_LE(conn.statementsRun() - before, 80u);
}

// Edits, UpdateBatch and Requery work on a keyset as on a client cursor; a row another program
// deleted before its values were read keeps its key and shows Null values.
TEST_P(KeysetTest, EditsAreWrittenAndARowDeletedMeanwhileShowsNull)
{
    Recordset rs;
    open(rs, "SELECT code, descr, n FROM cau ORDER BY code");
    rs.Fields(QStringLiteral("descr")).setValue(QStringLiteral("cambiata"));
    rs.MoveNext();
    rs.AddNew();
    rs.Fields(QStringLiteral("code")).setValue(QStringLiteral("NEW1"));
    rs.Fields(QStringLiteral("n")).setValue(999);
    rs.Update();
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT descr FROM cau WHERE code IN ('K001', 'NEW1') ORDER BY code"),
              (QStringList{"cambiata", "NULL"}));

    execRaw("DELETE FROM cau WHERE code = 'K150'");
    rs.Requery();
    EXPECT_EQ(rs.RecordCount(), 200);
    execRaw("DELETE FROM cau WHERE code = 'K100'");
    rs.Find(QStringLiteral("code = 'K100'"));
    ASSERT_FALSE(rs.isEOF());
    EXPECT_EQ(field(rs, "descr"), QStringLiteral("<NULL>"));
    EXPECT_EQ(errorOf([&] { rs.Resync(adAffectCurrent, adResyncAllValues); }).number(),
              adErrRowNotFound);
}

// Without a complete primary key there is nothing to find a row by: the row set is read whole
// at Open, as with a client cursor.
TEST_P(KeysetTest, ASelectWithoutItsTablesKeyIsReadWhole)
{
    for (const char *sql : {"SELECT code, descr FROM nokey", "SELECT descr, n FROM cau"}) {
        SCOPED_TRACE(sql);
        Recordset rs;
        open(rs, sql);
        execRaw("UPDATE nokey SET descr = 'dopo'; UPDATE cau SET descr = 'dopo'");
        EXPECT_NE(field(rs, "descr"), QStringLiteral("dopo"));
        execRaw("UPDATE nokey SET descr = 'prima'; UPDATE cau SET descr = 'prima'");
    }
    Recordset rs;
    EXPECT_EQ(errorOf([&] { rs.setCursorLocation(7); }).number(), adErrInvalidArgument);
}

INSTANTIATE_BACKENDS(KeysetTest);

} // namespace
