#include "ado/command.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/vb.h"

#include "ado/scratch_db.h"
#include "support/backend_db.h"

using namespace ado;
using adotest::errorOf;

namespace {

const char *const kSchema = R"(
CREATE TABLE ric(
    CI06_CAUSALE_CI03 CHAR(4) NOT NULL,
    CI06_INDSEGNO INTEGER NOT NULL,
    CI06_INDTIPORIGA INTEGER NOT NULL,
    CI06_PROVIDER_CI07 VARCHAR(10),
    CI06_PROGRESSIVO INTEGER,
    n INTEGER);
INSERT INTO ric VALUES ('C1  ', 1, 4, 'P1', 1, 1), ('C1', 1, 4, 'P2', 2, 2),
                       ('C1', 1, -1, 'P3', 3, 3), ('C1', 1, 4, NULL, 4, 4),
                       ('C1', 1, -1, 'P5', 5, 5);
CREATE TABLE cau(CI03_CAUSALE VARCHAR(10) PRIMARY KEY, CI03_DESCR VARCHAR(40),
                 CI03_NOTE VARCHAR(20) DEFAULT 'nota');
INSERT INTO cau VALUES ('A', 'Alfa', NULL), ('B', NULL, NULL);
CREATE TABLE other(k VARCHAR(10), v VARCHAR(10))
)";

// The stored order of ric's rows (n is not read by the row sets: rows they add come last).
const char *const kStoredOrder = " FROM ric ORDER BY COALESCE(n, 99)";

const QString kRic = QStringLiteral(
    "SELECT CI06_CAUSALE_CI03, CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROVIDER_CI07, "
    "CI06_PROGRESSIVO, '' AS DESCR FROM ric ORDER BY CI06_PROGRESSIVO");

class RecordsetTest : public testsupport::BackendTest
{
protected:
    const char *schema() const override { return kSchema; }

    static QString text(Recordset &rs, const char *field)
    {
        return rs.Fields(QString::fromUtf8(field)).Value().toString();
    }
    static void set(Recordset &rs, const char *field, const QVariant &v)
    {
        rs.Fields(QString::fromUtf8(field)).setValue(v);
    }
    // Changes the database behind the layer's back, through a connection of its own.
    void execRaw(const char *sql) { db->exec(sql); }
    void openRic(Recordset &rs) { rs.Open(kRic, &conn); }
    // Column `column` of ric's rows in their stored order, read without the layer.
    QStringList stored(const char *column) const
    {
        return db->rows((QByteArray("SELECT ") + column + kStoredOrder).constData());
    }
};

} // namespace

TEST_P(RecordsetTest, OpenReadsTypedValuesAndActionQueriesLeaveItClosed)
{
    Recordset rs;
    EXPECT_EQ(errorOf([&] { rs.RecordCount(); }).number(), adErrObjectClosed);
    rs.Open(QStringLiteral("SELECT CI06_INDTIPORIGA, CI06_PROVIDER_CI07, 2.5 AS R FROM ric "
                           "ORDER BY CI06_PROGRESSIVO"),
            &conn);
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(rs.Fields(0).Value().typeId(), QMetaType::LongLong);
    EXPECT_EQ(rs.Fields(QStringLiteral("r")).Value().typeId(), QMetaType::Double);
    EXPECT_EQ(rs.Fields(1).Value().typeId(), QMetaType::QString);
    rs.setAbsolutePosition(4);
    EXPECT_TRUE(isNull(rs.Fields(1).Value()));
    EXPECT_EQ(errorOf([&] { rs.Open(kRic, &conn); }).number(), adErrObjectOpen);
    const RuntimeError unknown = errorOf([&] { rs.Fields(QStringLiteral("NOPE")); });
    EXPECT_EQ(unknown.number(), adErrItemNotFound);
    EXPECT_TRUE(unknown.description().contains(QStringLiteral("NOPE")));

    Recordset action;
    action.Open(QStringLiteral("UPDATE ric SET CI06_PROGRESSIVO = 50 WHERE CI06_PROGRESSIVO = 5"),
                &conn);
    EXPECT_EQ(action.State(), adStateClosed);
    EXPECT_EQ(db->rows("SELECT count(*) FROM ric WHERE CI06_PROGRESSIVO = 50"), QStringList{"1"});

    conn.Close();
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_EQ(errorOf([&] { rs.RecordCount(); }).number(), adErrObjectClosed);
}

TEST_P(RecordsetTest, MovesFollowBofEofRules)
{
    Recordset rs;
    openRic(rs);
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_TRUE(rs.isEOF());
    EXPECT_FALSE(rs.isBOF());
    EXPECT_EQ(rs.AbsolutePosition(), adPosEOF);
    EXPECT_EQ(errorOf([&] { rs.Fields(0).Value(); }).number(), adErrNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }).number(), adErrNoCurrentRecord);
    rs.MovePrevious();
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P5"));
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.isBOF());
    EXPECT_EQ(rs.AbsolutePosition(), adPosBOF);
    EXPECT_EQ(errorOf([&] { rs.MovePrevious(); }).number(), adErrNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs.Bookmark(); }).number(), adErrNoCurrentRecord);
    rs.Move(3);
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    rs.Move(-10);
    EXPECT_TRUE(rs.isBOF());
    rs.Move(100);
    EXPECT_TRUE(rs.isEOF());
    rs.setAbsolutePosition(4);
    EXPECT_EQ(rs.Fields(QStringLiteral("CI06_PROGRESSIVO")).Value().toInt(), 4);
    EXPECT_EQ(errorOf([&] { rs.setAbsolutePosition(6); }).number(), adErrInvalidArgument);

    // Delete: the deleted row stays current until a move, then MoveNext goes past it
    rs.setAbsolutePosition(2);
    rs.Delete();
    EXPECT_EQ(errorOf([&] { rs.Fields(0).Value(); }).number(), adErrNoCurrentRecord);
    EXPECT_EQ(rs.EditMode(), adEditDelete);
    EXPECT_FALSE(rs.isBOF() || rs.isEOF());
    EXPECT_EQ(rs.RecordCount(), 4);
    rs.MoveNext();
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P3"));
    EXPECT_EQ(rs.AbsolutePosition(), 2);

    Recordset empty;
    empty.Open(QStringLiteral("SELECT * FROM ric WHERE 1 = 0"), &conn);
    EXPECT_TRUE(empty.isBOF() && empty.isEOF());
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_EQ(empty.AbsolutePosition(), adPosUnknown);
    EXPECT_EQ(errorOf([&] { empty.MoveFirst(); }).number(), adErrNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { empty.MoveNext(); }).number(), adErrNoCurrentRecord);
    empty.AddNew();
    EXPECT_EQ(empty.RecordCount(), 1);
    empty.Update();
    empty.Delete();
    EXPECT_FALSE(empty.isBOF() || empty.isEOF()) << "the deleted last row is still current";
    empty.MoveNext();
    EXPECT_TRUE(empty.isBOF() && empty.isEOF());
    EXPECT_FALSE(empty.hasPendingChanges()) << "a new row deleted is simply dropped";
}

TEST_P(RecordsetTest, FilterMovesToFirstVisibleRowAndCountsVisibleRows)
{
    Recordset rs;
    openRic(rs);
    rs.MoveLast(); // P5 matches the filter below but is not its first row
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = -1"));
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P3"));
    rs.MoveNext();
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P5"));

    rs.setFilter(QStringLiteral("CI06_CAUSALE_CI03 = 'C1'"));
    EXPECT_EQ(rs.RecordCount(), 5) << "'C1  ' of a CHAR column equals 'C1'";

    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 7"));
    EXPECT_TRUE(rs.isBOF() && rs.isEOF());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(rs.AbsolutePosition(), adPosUnknown);

    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    EXPECT_EQ(rs.RecordCount(), 3);
    rs.MoveLast();
    rs.setFilter(QString());
    EXPECT_EQ(rs.Filter().toInt(), int(adFilterNone));
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.AbsolutePosition(), 1) << "clearing the filter moves to the first row too";

    // a refused filter leaves the previous one in place
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    EXPECT_EQ(errorOf([&] { rs.setFilter(QStringLiteral("TIPO = 4")); }).number(),
              adErrItemNotFound);
    EXPECT_EQ(errorOf([&] { rs.setFilter(7); }).number(), adErrInvalidArgument);
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.Filter().toString(), QStringLiteral("CI06_INDTIPORIGA = 4"));

    // a row edited out of the filter stays until the filter is set again; pending rows
    set(rs, "CI06_INDTIPORIGA", -1);
    rs.MoveNext();
    EXPECT_EQ(rs.RecordCount(), 3);
    rs.setFilter(int(adFilterPendingRecords));
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P1"));
}

TEST_P(RecordsetTest, SortKeepsTheCurrentRow)
{
    Recordset rs;
    openRic(rs);
    rs.setAbsolutePosition(2); // P2
    rs.setSort(QStringLiteral("CI06_PROVIDER_CI07 DESC"));
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P2"));
    EXPECT_EQ(rs.AbsolutePosition(), 3); // P5 P3 P2 P1 Null
    rs.MoveLast();
    EXPECT_TRUE(isNull(rs.Fields(QStringLiteral("CI06_PROVIDER_CI07")).Value()));
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P2")) << "filtered rows stay sorted";
    rs.setFilter(QString()); // first row of the sorted rows: P5
    rs.setSort(QString());
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P5"));
    EXPECT_EQ(rs.AbsolutePosition(), 5);
    rs.MoveFirst();
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P1"));
    EXPECT_EQ(errorOf([&] { rs.setSort(QStringLiteral("PROG DESC")); }).number(),
              adErrItemNotFound);
}

TEST_P(RecordsetTest, CloneSharesRowsButNotFilterOrPosition)
{
    Recordset rs;
    openRic(rs);
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    rs.MoveNext();
    auto clone = rs.Clone();
    EXPECT_EQ(clone->RecordCount(), 5);
    EXPECT_EQ(clone->AbsolutePosition(), 1);
    EXPECT_EQ(clone->Filter().toInt(), int(adFilterNone));
    EXPECT_EQ(rs.AbsolutePosition(), 2);

    set(*clone, "CI06_PROVIDER_CI07", QStringLiteral("X1"));
    clone->Update();
    rs.setBookmark(clone->Bookmark());
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("X1"));
    EXPECT_EQ(rs.Status(), adRecModified);

    rs.AddNew();
    set(rs, "CI06_CAUSALE_CI03", QStringLiteral("C1"));
    set(rs, "CI06_INDSEGNO", 1);
    set(rs, "CI06_INDTIPORIGA", 4);
    rs.Update();
    EXPECT_EQ(clone->RecordCount(), 6);
    clone->MoveLast();
    EXPECT_EQ(clone->Bookmark(), rs.Bookmark());
    clone->setFilter(QStringLiteral("CI06_INDTIPORIGA = -1"));
    EXPECT_EQ(clone->RecordCount(), 2);
    EXPECT_EQ(rs.RecordCount(), 4) << "the clone's filter is its own";
    clone->Delete(); // P3, which the original's filter hides
    clone->MoveNext();
    EXPECT_EQ(clone->RecordCount(), 1);

    EXPECT_EQ(errorOf([&] { rs.Clone(adLockOptimistic); }).number(), adErrInvalidArgument);
    auto readOnly = rs.Clone(adLockReadOnly);
    EXPECT_EQ(errorOf([&] { set(*readOnly, "CI06_PROVIDER_CI07", QStringLiteral("Z")); }).number(),
              adErrIllegalOperation);

    rs.UpdateBatch(adAffectAllChapters); // writes what the clone changed too
    EXPECT_EQ(stored("CI06_PROVIDER_CI07"), (QStringList{"X1", "P2", "NULL", "P5", "NULL"}));
}

TEST_P(RecordsetTest, UpdateBatchWritesInsertsChangesAndDeletesButNoComputedColumn)
{
    Recordset rs;
    openRic(rs);
    EXPECT_FALSE(rs.Fields(QStringLiteral("DESCR")).isWritable());
    EXPECT_TRUE(rs.Fields(QStringLiteral("CI06_PROGRESSIVO")).isWritable());
    set(rs, "CI06_PROVIDER_CI07", QStringLiteral("Q1"));
    set(rs, "DESCR", QStringLiteral("shown only"));
    rs.MoveNext(); // saves the edit
    EXPECT_EQ(rs.EditMode(), adEditNone);
    rs.Delete();
    rs.AddNew();
    EXPECT_EQ(rs.EditMode(), adEditAdd);
    set(rs, "CI06_CAUSALE_CI03", QStringLiteral("C2"));
    set(rs, "CI06_INDSEGNO", 2);
    set(rs, "CI06_INDTIPORIGA", 4);
    set(rs, "CI06_PROGRESSIVO", 9);
    set(rs, "DESCR", QStringLiteral("nuovo"));
    EXPECT_TRUE(isNull(rs.Fields(QStringLiteral("CI06_PROVIDER_CI07")).Value()));
    EXPECT_TRUE(rs.hasPendingChanges());
    EXPECT_EQ(db->rows("SELECT count(*) FROM ric"), QStringList{"5"}) << "nothing written yet";

    rs.UpdateBatch(adAffectAllChapters); // also completes the AddNew
    EXPECT_EQ(db->rows("SELECT RTRIM(CI06_CAUSALE_CI03), CI06_INDSEGNO, CI06_INDTIPORIGA, "
                       "CI06_PROVIDER_CI07, CI06_PROGRESSIVO FROM ric ORDER BY CI06_PROGRESSIVO"),
              (QStringList{"C1|1|4|Q1|1", "C1|1|-1|P3|3", "C1|1|4|NULL|4", "C1|1|-1|P5|5",
                           "C2|2|4|NULL|9"}));
    EXPECT_FALSE(rs.hasPendingChanges());
    EXPECT_EQ(rs.Status(), adRecUnmodified);
    EXPECT_EQ(text(rs, "DESCR"), QStringLiteral("nuovo"));
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields(QStringLiteral("CI06_PROVIDER_CI07")).OriginalValue().toString(),
              QStringLiteral("Q1"));

    // the rows written can be changed and written again (located by their new originals)
    set(rs, "CI06_PROVIDER_CI07", QStringLiteral("Q2"));
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT CI06_PROVIDER_CI07 FROM ric WHERE CI06_PROGRESSIVO = 1"),
              QStringList{"Q2"});
}

TEST_P(RecordsetTest, UpdateBatchWritesRowsTheFilterHides)
{
    Recordset rs;
    openRic(rs);
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    set(rs, "CI06_PROGRESSIVO", 10);
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = -1"));
    set(rs, "CI06_PROGRESSIVO", 30);
    rs.Update();
    rs.UpdateBatch(adAffectGroup); // only what the filter shows
    EXPECT_EQ(stored("CI06_PROGRESSIVO"), (QStringList{"1", "2", "30", "4", "5"}));
    EXPECT_TRUE(rs.hasPendingChanges());

    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 7"));
    rs.UpdateBatch(adAffectAllChapters);
    EXPECT_EQ(stored("CI06_PROGRESSIVO"), (QStringList{"10", "2", "30", "4", "5"}));
    EXPECT_FALSE(rs.hasPendingChanges());
}

TEST_P(RecordsetTest, InsertReadsBackDefaultsAndNullOriginalsAreLocated)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT CI03_CAUSALE, CI03_DESCR, CI03_NOTE FROM cau"), &conn);
    rs.AddNew();
    set(rs, "CI03_CAUSALE", QStringLiteral("C"));
    set(rs, "CI03_DESCR", QStringLiteral("Gamma"));
    rs.Update();
    rs.UpdateBatch(adAffectAllChapters);
    EXPECT_EQ(text(rs, "CI03_NOTE"), QStringLiteral("nota")) << "a default fills an unset column";
    EXPECT_EQ(rs.Fields(QStringLiteral("CI03_NOTE")).OriginalValue().toString(),
              QStringLiteral("nota"));
    // the row written is located by what the database gave it
    set(rs, "CI03_DESCR", QStringLiteral("Gamma 2"));
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT CI03_DESCR, CI03_NOTE FROM cau WHERE CI03_CAUSALE = 'C'"),
              QStringList{"Gamma 2|nota"});

    // 'B' has NULL in CI03_DESCR and CI03_NOTE: an equality test could not find it
    rs.MoveFirst();
    rs.MoveNext();
    ASSERT_EQ(text(rs, "CI03_CAUSALE"), QStringLiteral("B"));
    set(rs, "CI03_DESCR", QStringLiteral("Beta"));
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT CI03_DESCR FROM cau WHERE CI03_CAUSALE = 'B'"), QStringList{"Beta"});
    set(rs, "CI03_NOTE", Null());
    rs.Delete();
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT CI03_CAUSALE FROM cau ORDER BY 1"), (QStringList{"A", "C"}));
}

TEST_P(RecordsetTest, ConflictingRowsStayPendingWhileTheOthersAreWritten)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT CI03_CAUSALE, CI03_DESCR FROM cau ORDER BY CI03_CAUSALE"),
            &conn);
    set(rs, "CI03_DESCR", QStringLiteral("Alfa nuova"));
    rs.MoveNext();
    set(rs, "CI03_DESCR", QStringLiteral("Beta nuova"));
    rs.AddNew();
    set(rs, "CI03_CAUSALE", QStringLiteral("D"));
    rs.Update();
    // another program changed the very column 'B' changes: 'B' cannot be located
    execRaw("UPDATE cau SET CI03_DESCR = 'Beta altrove' WHERE CI03_CAUSALE = 'B'");

    conn.BeginTrans();
    rs.UpdateBatch(adAffectAllChapters);
    EXPECT_EQ(conn.transactionLevel(), 1) << "the outer transaction stays open";
    const RuntimeError all = errorOf([&] { raiseOnConflicts(rs); });
    EXPECT_EQ(all.number(), adErrRowNotFound);
    EXPECT_TRUE(all.description().contains(QStringLiteral("1 row")))
        << all.description().toStdString();
    conn.CommitTrans();
    EXPECT_EQ(
        db->rows("SELECT CI03_CAUSALE || '=' || COALESCE(CI03_DESCR, '-') FROM cau ORDER BY 1"),
        (QStringList{"A=Alfa nuova", "B=Beta altrove", "D=-"}));
    ASSERT_EQ(conn.Errors().size(), 1u) << "one warning per conflicting row";
    EXPECT_EQ(conn.Errors()[0].number, adErrRowNotFound);
    EXPECT_TRUE(conn.Errors()[0].description.startsWith(QStringLiteral(
        "Row cannot be located for updating. Some values may have been changed since it was "
        "last read.")));

    // only the conflicting row is left, marked, still modified
    EXPECT_TRUE(rs.hasPendingChanges());
    rs.setFilter(int(adFilterConflictingRecords));
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(text(rs, "CI03_CAUSALE"), QStringLiteral("B"));
    EXPECT_EQ(rs.Status(), adRecModified | adRecConcurrencyViolation);
    EXPECT_EQ(rs.Filter().toInt(), int(adFilterConflictingRecords));

    // when every row asked for conflicts, UpdateBatch raises
    const RuntimeError none = errorOf([&] { rs.UpdateBatch(); });
    EXPECT_EQ(none.number(), adErrRowNotFound);
    EXPECT_TRUE(none.description().contains(QStringLiteral("cau")));

    // CancelBatch drops the change and the mark
    rs.CancelBatch();
    EXPECT_FALSE(rs.hasPendingChanges());
    rs.setFilter(int(adFilterConflictingRecords));
    EXPECT_EQ(rs.RecordCount(), 0);
    raiseOnConflicts(rs);

    // a refusal of the database writes nothing, names the table and the problem
    rs.setFilter(QString());
    set(rs, "CI03_DESCR", QStringLiteral("Alfa ancora"));
    rs.MoveNext();
    set(rs, "CI03_CAUSALE", QStringLiteral("A"));
    const RuntimeError unique = errorOf([&] { rs.UpdateBatch(); });
    EXPECT_TRUE(unique.description().contains(QStringLiteral("cau")));
    EXPECT_TRUE(unique.description().contains(QStringLiteral("unique"), Qt::CaseInsensitive))
        << unique.description().toStdString();
    EXPECT_EQ(db->rows("SELECT CI03_DESCR FROM cau WHERE CI03_CAUSALE = 'A'"),
              QStringList{"Alfa nuova"});
}

TEST_P(RecordsetTest, JoinsAndTempTables)
{
    Recordset join;
    join.Open(
        QStringLiteral(
            "SELECT c.CI03_CAUSALE, o.v FROM cau c LEFT JOIN other o ON o.k = c.CI03_CAUSALE"),
        &conn);
    join.UpdateBatch(); // nothing pending: nothing to refuse
    set(join, "CI03_CAUSALE", QStringLiteral("Z"));
    const RuntimeError e = errorOf([&] { join.UpdateBatch(); });
    EXPECT_TRUE(e.description().startsWith(
        QStringLiteral("Insufficient base table information for updating or refreshing")))
        << e.description().toStdString();

    conn.Execute(QStringLiteral("CREATE TABLE #SVILUPPO (PROG INT, CONTO VARCHAR(10))"), nullptr,
                 adCmdTextNoRecords);
    conn.Execute(QStringLiteral("INSERT INTO #SVILUPPO VALUES (1, 'A'), (3, 'B'), (2, 'C')"),
                 nullptr, adCmdTextNoRecords);
    Recordset sv;
    sv.Open(QStringLiteral("SELECT PROG, CONTO FROM #SVILUPPO"), &conn);
    sv.AddNew(); // PROG still Null: the highest rank must still come first below
    auto clone = sv.Clone();
    clone->setSort(QStringLiteral("PROG DESC"));
    clone->MoveFirst();
    EXPECT_EQ(clone->Fields(QStringLiteral("PROG")).Value().toInt(), 3);
    set(sv, "PROG", 4);
    set(sv, "CONTO", QStringLiteral("D"));
    sv.UpdateBatch(adAffectAllChapters);
    auto check = conn.Execute(QStringLiteral("SELECT COUNT(*) FROM #SVILUPPO WHERE PROG = 4"));
    EXPECT_EQ(check->Fields(0).Value().toInt(), 1);
}

TEST_P(RecordsetTest, CancelUpdateDropsANewRowEvenAfterTheFilterIsSetAgain)
{
    Recordset rs;
    openRic(rs);
    rs.setAbsolutePosition(2);
    rs.AddNew();
    EXPECT_EQ(rs.RecordCount(), 6);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.AbsolutePosition(), 2) << "back on the row current before AddNew";
    EXPECT_EQ(rs.EditMode(), adEditNone);

    // what a frame does after AddNew: filter again and come back to the new row
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    rs.AddNew();
    set(rs, "CI06_INDTIPORIGA", 4);
    const QVariant bookmark = rs.Bookmark();
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    rs.setBookmark(bookmark);
    EXPECT_EQ(rs.EditMode(), adEditAdd);
    EXPECT_EQ(rs.RecordCount(), 4);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.hasPendingChanges());

    // moving off a new or edited row saves it; CancelUpdate of an edit restores the values
    rs.AddNew();
    rs.MoveFirst();
    EXPECT_EQ(rs.RecordCount(), 4);
    rs.MoveLast();
    EXPECT_EQ(rs.Status(), adRecNew);
    rs.MoveFirst();
    set(rs, "CI06_PROVIDER_CI07", QStringLiteral("X"));
    rs.CancelUpdate();
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P1"));
    EXPECT_EQ(rs.Status(), adRecUnmodified);
}

TEST_P(RecordsetTest, RequeryDiscardsPendingChangesAndLeavesClonesBehind)
{
    Recordset rs;
    openRic(rs);
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    set(rs, "CI06_PROVIDER_CI07", QStringLiteral("X"));
    rs.MoveNext();
    rs.Delete();
    rs.AddNew();
    auto clone = rs.Clone();
    EXPECT_EQ(errorOf([&] { rs.Requery(); }).number(), adErrIllegalOperation);
    rs.Update();
    rs.Requery();
    EXPECT_FALSE(rs.hasPendingChanges());
    EXPECT_EQ(rs.RecordCount(), 3) << "the filter stays";
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P1"));
    EXPECT_EQ(clone->RecordCount(), 5) << "the clone keeps the rows it had";
    set(rs, "CI06_PROVIDER_CI07", QStringLiteral("Y"));
    rs.Update();
    clone->MoveFirst();
    EXPECT_EQ(text(*clone, "CI06_PROVIDER_CI07"), QStringLiteral("X"));
    EXPECT_EQ(db->rows("SELECT count(*) FROM ric"), QStringList{"5"});
}

TEST_P(RecordsetTest, RequeryOfACommandNeedsNoCommand)
{
    Recordset rs;
    {
        Command cmd;
        cmd.setActiveConnection(&conn);
        cmd.setCommandText(QStringLiteral("SELECT CI06_PROVIDER_CI07 FROM ric "
                                          "WHERE CI06_INDTIPORIGA = ? ORDER BY CI06_PROGRESSIVO"));
        cmd.parameters().Append(
            cmd.CreateParameter(QStringLiteral("t"), adInteger, adParamInput, 0, -1));
        rs.Open(cmd);
    }
    EXPECT_EQ(rs.RecordCount(), 2);
    execRaw("INSERT INTO ric VALUES ('C2', 1, -1, 'P6', 6, 6), ('C2', 1, 4, 'P7', 7, 7)");
    rs.Requery();
    EXPECT_EQ(rs.RecordCount(), 3);
    rs.MoveLast();
    EXPECT_EQ(text(rs, "CI06_PROVIDER_CI07"), QStringLiteral("P6"));
}

TEST_P(RecordsetTest, ListenersHearOfChangesIncludingThoseOfClones)
{
    Recordset rs;
    openRic(rs);
    std::vector<std::pair<RecordsetEvent, qlonglong>> heard;
    const int id = rs.addListener([&heard](RecordsetEvent e, const QVariant &row) {
        heard.emplace_back(e, row.toLongLong());
    });
    const qlonglong first = rs.Bookmark().toLongLong();
    auto clone = rs.Clone();
    set(*clone, "CI06_PROVIDER_CI07", QStringLiteral("X"));
    rs.AddNew();
    const qlonglong added = rs.Bookmark().toLongLong();
    rs.Delete();
    rs.setFilter(QStringLiteral("CI06_INDTIPORIGA = 4"));
    using E = RecordsetEvent;
    const std::vector<std::pair<E, qlonglong>> expected = {{E::RowChanged, first},
                                                           {E::RowAdded, added},
                                                           {E::Moved, added},
                                                           {E::RowRemoved, added},
                                                           {E::Reset, 0}};
    EXPECT_EQ(heard, expected);
    rs.removeListener(id);
    rs.MoveNext();
    EXPECT_EQ(heard.size(), expected.size());
}

INSTANTIATE_BACKENDS(RecordsetTest);
