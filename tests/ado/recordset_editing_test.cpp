// Editing rules of the row set that code written for ADO relies on: CancelUpdate of a pending
// new row, EditMode without a current row, values taking the field's type, Find, and how
// UpdateBatch locates the rows it changes.

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/vb.h"

#include "ado/scratch_db.h"
#include "support/backend_db.h"

using namespace ado;
using adotest::errorOf;
using adotest::ScratchDb;

namespace {

const char *const kSchema = R"(
CREATE TABLE item(code CHAR(4) PRIMARY KEY, qty INTEGER, price DECIMAL(9, 2),
                  rate DOUBLE PRECISION, note VARCHAR(20), id DECIMAL(18, 0));
INSERT INTO item VALUES ('A', 1, 2.5, 0.5, 'uno', 10), ('B', 3, 1.25, NULL, 'due', 20),
                        ('C', 2, 4, 1.5, NULL, 30);
CREATE TABLE loose(k VARCHAR(10), v VARCHAR(10));
INSERT INTO loose VALUES ('x', '1'), ('y', '2');
CREATE TABLE fraction(code CHAR(4) PRIMARY KEY, price DECIMAL(9, 2), amount NUMERIC);
INSERT INTO fraction VALUES ('A', 0.10, 0.2)
)";

const QString kItems = QStringLiteral(
    "SELECT code, qty, price, rate, note, id FROM item ORDER BY code");

class RecordsetEditingTest : public testsupport::BackendTest
{
protected:
    const char *schema() const override { return kSchema; }

    static QVariant value(Recordset &rs, const char *field)
    {
        return rs.Fields(QString::fromUtf8(field)).Value();
    }
    static void set(Recordset &rs, const char *field, const QVariant &v)
    {
        rs.Fields(QString::fromUtf8(field)).setValue(v);
    }
    // The codes of the visible rows, in order.
    static QStringList codes(Recordset &rs)
    {
        QStringList out;
        for (long p = 1; p <= rs.RecordCount(); ++p)
            out << rs.valueAt(rs.bookmarkAt(p), 0).toString();
        return out;
    }
    void execRaw(const char *sql) { db->exec(sql); }
};

} // namespace

TEST_P(RecordsetEditingTest, CancelUpdateTakesBackAPendingNewRowAndNeedsACurrentRow)
{
    Recordset rs;
    rs.Open(kItems, &conn);
    rs.AddNew();
    set(rs, "code", QStringLiteral("N"));
    rs.Update();
    EXPECT_EQ(rs.Status(), adRecNew);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.hasPendingChanges());
    EXPECT_EQ(errorOf([&] { rs.CancelUpdate(); }).number(), adErrNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs.Update(); }).number(), adErrNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { value(rs, "code"); }).number(), adErrNoCurrentRecord);
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT code FROM item ORDER BY code"), (QStringList{"A", "B", "C"}));

    // a stored row updated but not written keeps its change: CancelUpdate has nothing to undo
    rs.MoveFirst();
    set(rs, "note", QStringLiteral("x"));
    rs.Update();
    rs.CancelUpdate();
    EXPECT_EQ(value(rs, "note").toString(), QStringLiteral("x"));
    EXPECT_EQ(rs.Status(), adRecModified);

    // EditMode needs a current row, except on a row just deleted
    EXPECT_EQ(rs.EditMode(), adEditNone);
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_EQ(errorOf([&] { rs.EditMode(); }).number(), adErrNoCurrentRecord);
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_EQ(errorOf([&] { rs.EditMode(); }).number(), adErrNoCurrentRecord);
    rs.MoveFirst();
    rs.Delete();
    EXPECT_EQ(rs.EditMode(), adEditDelete);
    rs.setFilter(QStringLiteral("code = 'Z'"));
    EXPECT_EQ(errorOf([&] { rs.EditMode(); }).number(), adErrNoCurrentRecord);
    rs.AddNew();
    EXPECT_EQ(rs.EditMode(), adEditAdd) << "AddNew on an empty view has a current row";
}

TEST_P(RecordsetEditingTest, ValuesTakeTheFieldTypeOrAreRefused)
{
    Recordset rs;
    rs.Open(kItems, &conn);
    // texts from text boxes become numbers, read by the session's locale (Italian)
    set(rs, "qty", QStringLiteral("5"));
    set(rs, "price", QStringLiteral("1,5"));
    set(rs, "rate", QStringLiteral("2,25"));
    set(rs, "id", QStringLiteral("12,5"));
    set(rs, "note", 7);
    EXPECT_EQ(value(rs, "qty"), QVariant(qlonglong(5)));
    EXPECT_EQ(value(rs, "price"), QVariant(1.5));
    EXPECT_EQ(value(rs, "rate"), QVariant(2.25));
    EXPECT_EQ(value(rs, "id"), QVariant(qlonglong(12))) << "DECIMAL(18, 0) rounds half to even";
    EXPECT_EQ(value(rs, "note"), QVariant(QStringLiteral("7")));
    set(rs, "price", QStringLiteral("3"));
    EXPECT_EQ(value(rs, "price"), QVariant(qlonglong(3)));
    set(rs, "qty", true);
    EXPECT_EQ(value(rs, "qty"), QVariant(qlonglong(-1)));
    set(rs, "qty", Null());
    EXPECT_TRUE(isNull(value(rs, "qty")));

    // what cannot be converted is refused and the field keeps its value
    set(rs, "qty", 4);
    for (const QVariant &bad : {QVariant(QStringLiteral("abc")), QVariant(QStringLiteral("")),
                                QVariant(QStringLiteral("1,5,0"))}) {
        const RuntimeError e = errorOf([&] { set(rs, "qty", bad); });
        EXPECT_EQ(e.number(), adErrTypeMismatch) << bad.toString().toStdString();
        EXPECT_TRUE(adotest::mentions(e, QStringLiteral("qty")));
    }
    EXPECT_EQ(errorOf([&] { set(rs, "qty", 1e30); }).number(), adErrDataOverflow);
    EXPECT_EQ(value(rs, "qty"), QVariant(qlonglong(4)));
    rs.CancelUpdate();

    // so that Sort and Filter order numbers given as text as numbers
    const char *qty[] = {"10", "9", "2"};
    for (const char *q : qty) {
        set(rs, "qty", QString::fromUtf8(q));
        rs.MoveNext();
    }
    rs.setSort(QStringLiteral("qty"));
    EXPECT_EQ(codes(rs), (QStringList{"C", "B", "A"}));
    rs.setFilter(QStringLiteral("qty > 5"));
    EXPECT_EQ(codes(rs), (QStringList{"B", "A"}));
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT qty FROM item ORDER BY code"), (QStringList{"10", "9", "2"}));
}

TEST_P(RecordsetEditingTest, FindSearchesTheVisibleRowsFromTheCurrentOneOrStart)
{
    Recordset rs;
    rs.Open(kItems, &conn);
    rs.Find(QStringLiteral("qty = 2"));
    EXPECT_EQ(value(rs, "code").toString(), QStringLiteral("C"));
    // from the current row itself, unless rows are skipped first
    rs.Find(QStringLiteral("qty >= 2"));
    EXPECT_EQ(value(rs, "code").toString(), QStringLiteral("C"));
    rs.MoveFirst();
    rs.Find(QStringLiteral("qty >= 1"), 1);
    EXPECT_EQ(value(rs, "code").toString(), QStringLiteral("B"));
    rs.Find(QStringLiteral("note LIKE 'u*'"), 1);
    EXPECT_TRUE(rs.isEOF()) << "no match forward: EOF";

    // backward, from a start
    rs.Find(QStringLiteral("price > $2.00"), 0, adSearchBackward, int(adBookmarkLast));
    EXPECT_EQ(value(rs, "code").toString(), QStringLiteral("C"));
    rs.Find(QStringLiteral("price > 2"), 1, adSearchBackward);
    EXPECT_EQ(value(rs, "code").toString(), QStringLiteral("A"));
    rs.Find(QStringLiteral("code = 'C'"), 0, adSearchBackward);
    EXPECT_TRUE(rs.isBOF()) << "no match backward: BOF";
    EXPECT_EQ(errorOf([&] { rs.Find(QStringLiteral("qty = 1")); }).number(), adErrNoCurrentRecord);
    rs.Find(QStringLiteral("note = NULL"), 0, adSearchForward, int(adBookmarkFirst));
    EXPECT_EQ(value(rs, "code").toString(), QStringLiteral("C"));

    // the Filter's rows only, and a bookmark as start
    rs.setFilter(QStringLiteral("qty <> 3"));
    const QVariant c = rs.bookmarkAt(2);
    rs.Find(QStringLiteral("code = 'B'"), 0, adSearchForward, int(adBookmarkFirst));
    EXPECT_TRUE(rs.isEOF());
    rs.Find(QStringLiteral("qty < 5"), 0, adSearchForward, c);
    EXPECT_EQ(rs.Bookmark(), c);

    // one comparison only; bad arguments are refused
    rs.MoveFirst();
    for (const char *bad : {"qty = 1 AND code = 'A'", "qty = 1 OR qty = 2", "qty"})
        EXPECT_EQ(errorOf([&] { rs.Find(QString::fromUtf8(bad)); }).number(), adErrInvalidArgument)
            << bad;
    EXPECT_EQ(errorOf([&] { rs.Find(QStringLiteral("nope = 1")); }).number(), adErrItemNotFound);
    EXPECT_EQ(errorOf([&] { rs.Find(QStringLiteral("qty = 1"), 0, 2); }).number(),
              adErrInvalidArgument);
    EXPECT_EQ(
        errorOf([&] { rs.Find(QStringLiteral("qty = 1"), 0, adSearchForward, 999); }).number(),
        adErrInvalidArgument);
}

TEST_P(RecordsetEditingTest, UpdateCriteriaDecideWhatCountsAsAConflict)
{
    Recordset rs;
    rs.Open(kItems, &conn);
    EXPECT_EQ(rs.UpdateCriteria(), adCriteriaUpdCols);
    set(rs, "note", QStringLiteral("mine"));
    rs.MoveNext();
    set(rs, "qty", 30);
    rs.MoveNext();
    set(rs, "note", QStringLiteral("mine too"));
    // another program changes a column this row set does not change, one it changes, a key
    execRaw("UPDATE item SET qty = 100 WHERE code = 'A'; UPDATE item SET qty = 31 WHERE "
            "code = 'B'; UPDATE item SET code = 'Z' WHERE code = 'C'");
    rs.UpdateBatch();
    EXPECT_EQ(
        db->rows("SELECT code || '|' || qty || '|' || COALESCE(note, '-') FROM item ORDER BY code"),
        (QStringList{"A|100|mine", "B|31|due", "Z|2|-"}));
    rs.setFilter(int(adFilterConflictingRecords));
    EXPECT_EQ(codes(rs), (QStringList{"B", "C"}));

    // by key alone the change to qty is overwritten; by all columns even an unrelated one counts
    rs.setUpdateCriteria(adCriteriaKey);
    rs.setFilter(QStringLiteral("code = 'B'"));
    rs.UpdateBatch(adAffectGroup);
    EXPECT_EQ(db->rows("SELECT qty FROM item WHERE code = 'B'"), QStringList{"30"});
    rs.setUpdateCriteria(adCriteriaAllCols);
    rs.MoveFirst();
    set(rs, "note", QStringLiteral("again"));
    execRaw("UPDATE item SET rate = 9 WHERE code = 'B'");
    EXPECT_EQ(errorOf([&] { rs.UpdateBatch(adAffectCurrent); }).number(), adErrRowNotFound);
    EXPECT_EQ(rs.Status(), adRecModified | adRecConcurrencyViolation);
    EXPECT_EQ(errorOf([&] { rs.setUpdateCriteria(adCriteriaTimeStamp); }).number(),
              adErrInvalidArgument);

    // without a primary key every column locates the row, whatever the criteria
    Recordset loose;
    loose.Open(QStringLiteral("SELECT k, v FROM loose ORDER BY k"), &conn);
    set(loose, "v", QStringLiteral("uno"));
    execRaw("UPDATE loose SET k = 'x2' WHERE k = 'x'");
    EXPECT_EQ(errorOf([&] { loose.UpdateBatch(); }).number(), adErrRowNotFound);
    EXPECT_EQ(db->rows("SELECT v FROM loose ORDER BY k"), (QStringList{"1", "2"}));
}

// Decimals that no binary number holds exactly (0.1, 0.2) are compared and written as the
// decimals they read as: every column locates the row, and what is written is read back as given.
TEST_P(RecordsetEditingTest, DecimalsLocateTheirRowAndAreWrittenAsTheyRead)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT code, price, amount FROM fraction"), &conn);
    rs.setUpdateCriteria(adCriteriaAllCols);
    set(rs, "amount", QStringLiteral("0,3"));
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT price, amount FROM fraction"), QStringList{"0.1|0.3"});
    set(rs, "price", 0.7);
    rs.UpdateBatch();
    EXPECT_EQ(db->rows("SELECT price, amount FROM fraction"), QStringList{"0.7|0.3"});
}

INSTANTIATE_BACKENDS(RecordsetEditingTest);

// An SQLite column declares its type or none: a number given as text is stored as a number in
// a numeric column, a value is kept as given in a column without a type.
TEST(RecordsetEditingSQLite, NumbersGivenAsTextAreStoredAsNumbersAndUntypedValuesAsGiven)
{
    ScratchDb db("CREATE TABLE item(code CHAR(4) PRIMARY KEY, qty INTEGER, expr);"
                 "INSERT INTO item VALUES ('A', 1, NULL), ('B', 2, 5)");
    Connection conn;
    conn.Open(db.connectionString());
    Recordset rs;
    rs.Open(QStringLiteral("SELECT code, qty, expr FROM item ORDER BY code"), &conn);
    rs.Fields(QStringLiteral("qty")).setValue(QStringLiteral("10"));
    rs.Fields(QStringLiteral("expr")).setValue(QStringLiteral("as given"));
    EXPECT_EQ(rs.Fields(QStringLiteral("expr")).Value(), QVariant(QStringLiteral("as given")));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields(QStringLiteral("expr")).Value(), QVariant(qlonglong(5)));
    rs.Fields(QStringLiteral("expr")).setValue(QStringLiteral("7"));
    rs.UpdateBatch();
    EXPECT_EQ(db.rows("SELECT code || typeof(qty) || qty || typeof(expr) FROM item ORDER BY code"),
              (QStringList{"Ainteger10text", "Binteger2text"}));
}
