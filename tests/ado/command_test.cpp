#include "ado/command.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/vb.h"

#include "ado/scratch_db.h"
#include "support/backend_db.h"

using namespace ado;
using adotest::errorOf;
using adotest::mentions;

namespace {

const char *const kSchema = R"(
CREATE TABLE t(code CHAR(4), n INTEGER, amount NUMERIC, note VARCHAR(100));
INSERT INTO t(code, n) VALUES ('A1', 1), ('B2', 2), ('C3', 3), ('D4', 4);
CREATE TABLE positive(v INTEGER CHECK (v > 0))
)";

class CommandTest : public testsupport::BackendTest
{
protected:
    const char *schema() const override { return kSchema; }
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        cmd.setActiveConnection(&conn);
        cmd.setCommandType(adCmdText);
    }

    // A command inserting into t one value of the given parameter type.
    void prepareInsert(const char *column, long type, int precision = 0, int scale = 0)
    {
        cmd.setCommandText(
            QStringLiteral("INSERT INTO t(code, %1) VALUES ('X', ?)").arg(QLatin1String(column)));
        auto p = cmd.CreateParameter(QStringLiteral("@VALUE"), type, adParamInput, 50);
        p->Precision = precision;
        p->NumericScale = scale;
        cmd.parameters().Append(std::move(p));
        cmd.setPrepared(true);
    }
    QStringList insertAndRead(const QVariant &value, const char *query)
    {
        cmd.parameters()[0].Value = value;
        cmd.Execute(nullptr, adCmdTextNoRecords);
        const QStringList rows = db->rows(query);
        testsupport::execRaw(conn, QStringLiteral("DELETE FROM t WHERE code = 'X'"));
        return rows;
    }

    Command cmd;
};

} // namespace

TEST_P(CommandTest, PreparedCommandIsCompiledOnceAndRebound)
{
    cmd.setCommandText(QStringLiteral("DELETE FROM t WHERE code = ?"));
    cmd.parameters().Append(
        cmd.CreateParameter(QStringLiteral("@CAUSALE"), adWChar, adParamInput, 4));
    cmd.setPrepared(true);

    const quint64 prepared = conn.statementsPrepared();
    const quint64 runs = conn.statementsRun();
    QVariant affected;
    cmd.parameters()[QStringLiteral("@causale")].Value = QStringLiteral("A1");
    EXPECT_EQ(cmd.Execute(&affected, adCmdTextNoRecords), nullptr);
    EXPECT_EQ(affected.toLongLong(), 1);
    cmd.parameters()[QStringLiteral("@CAUSALE")].Value = QStringLiteral("B2");
    auto closed = cmd.Execute(&affected); // default options: a closed recordset
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->State(), adStateClosed);
    EXPECT_EQ(affected.toLongLong(), 1);
    cmd.parameters()[0].Value = QStringLiteral("ZZ");
    cmd.Execute(&affected, adCmdTextNoRecords);
    EXPECT_EQ(affected.toLongLong(), 0);

    EXPECT_EQ(conn.statementsPrepared(), prepared + 1);
    EXPECT_EQ(conn.statementsRun(), runs + 3);
    EXPECT_EQ(db->rows("SELECT code FROM t ORDER BY code"),
              (QStringList{QStringLiteral("C3"), QStringLiteral("D4")}));

    // A value given to Execute holds for that run only.
    cmd.Execute(&affected, QVariantList{QStringLiteral("C3")}, adCmdTextNoRecords);
    EXPECT_EQ(affected.toLongLong(), 1);
    EXPECT_EQ(cmd.parameters()[0].Value.toString(), QStringLiteral("ZZ"));
    EXPECT_EQ(conn.statementsPrepared(), prepared + 1);

    // A new text, or a reopened connection, compiles again.
    cmd.setCommandText(cmd.CommandText());
    cmd.Execute(nullptr, adCmdTextNoRecords);
    EXPECT_EQ(conn.statementsPrepared(), prepared + 2);
    conn.Close();
    conn.Open();
    cmd.parameters()[0].Value = QStringLiteral("D4");
    cmd.Execute(&affected, adCmdTextNoRecords);
    EXPECT_EQ(affected.toLongLong(), 1);
    EXPECT_EQ(conn.statementsPrepared(), prepared + 3);
}

TEST_P(CommandTest, TextReachesTheColumnUnchanged)
{
    const QString note = QStringLiteral("L'acqua dell'\"orto\" -- ; ? è");
    cmd.setCommandText(QStringLiteral("INSERT INTO t(code, note) VALUES (?, ?)"));
    cmd.parameters().Append(cmd.CreateParameter(QStringLiteral("@CODE"), adWChar, adParamInput, 4,
                                                QStringLiteral("E'5")));
    cmd.parameters().Append(
        cmd.CreateParameter(QStringLiteral("@NOTE"), adVarWChar, adParamInput, 100, note));
    cmd.Execute(nullptr, adCmdTextNoRecords);
    EXPECT_EQ(db->rows("SELECT code || '|' || note FROM t WHERE code = 'E''5'"),
              QStringList{QStringLiteral("E'5|") + note});

    Command select;
    select.setActiveConnection(&conn);
    select.setCommandText(QStringLiteral("SELECT note FROM t WHERE note = ?"));
    select.parameters().Append(
        select.CreateParameter(QStringLiteral("@NOTE"), adVarWChar, adParamInput, 100, note));
    auto rows = select.Execute();
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->State(), adStateOpen);
    ASSERT_EQ(rows->RecordCount(), 1);
    EXPECT_EQ(rows->Fields(0).Value().toString(), note);
}

TEST_P(CommandTest, TextParametersCheckTheirSize)
{
    cmd.setCommandText(QStringLiteral("DELETE FROM t WHERE code = ?"));
    cmd.parameters().Append(cmd.CreateParameter(QStringLiteral("@CAUSALE"), adWChar, adParamInput,
                                                4, QStringLiteral("A1234")));
    const RuntimeError e = errorOf([&] { cmd.Execute(nullptr, adCmdTextNoRecords); });
    EXPECT_EQ(e.number(), adErrInvalidArgument);
    EXPECT_TRUE(mentions(e, QLatin1String("@CAUSALE")));
    EXPECT_TRUE(mentions(e, QLatin1String("A1234")));
    EXPECT_EQ(db->rows("SELECT count(*) FROM t"), QStringList{QStringLiteral("4")});

    // No padding: a value shorter than the size binds as given and finds the stored code.
    cmd.parameters()[0].Value = QStringLiteral("A1");
    QVariant affected;
    cmd.Execute(&affected, adCmdTextNoRecords);
    EXPECT_EQ(affected.toLongLong(), 1);
    cmd.parameters()[0].Value = Null();
    cmd.Execute(&affected, adCmdTextNoRecords);
    EXPECT_EQ(affected.toLongLong(), 0);
}

TEST_P(CommandTest, IntegerParametersCheckTheirRange)
{
    prepareInsert("n", adSmallInt);
    const char *read = "SELECT n FROM t WHERE code = 'X'";
    EXPECT_EQ(insertAndRead(32767, read), QStringList{QStringLiteral("32767")});
    EXPECT_EQ(insertAndRead(-32768.5, read), QStringList{QStringLiteral("-32768")});
    EXPECT_EQ(insertAndRead(QStringLiteral("12"), read), QStringList{QStringLiteral("12")});
    EXPECT_EQ(insertAndRead(Null(), read), QStringList{QStringLiteral("NULL")});

    const RuntimeError overflow = errorOf([&] { insertAndRead(32768, read); });
    EXPECT_EQ(overflow.number(), Overflow);
    EXPECT_TRUE(mentions(overflow, QLatin1String("@VALUE")));
    EXPECT_EQ(errorOf([&] { insertAndRead(QStringLiteral("abc"), read); }).number(), TypeMismatch);
    EXPECT_EQ(db->rows("SELECT count(*) FROM t WHERE code = 'X'"),
              QStringList{QStringLiteral("0")});
}

TEST_P(CommandTest, NumericParametersFollowPrecisionAndScale)
{
    const char *read = "SELECT amount FROM t WHERE code = 'X'";
    prepareInsert("amount", adNumeric, 5, 0);
    EXPECT_EQ(insertAndRead(99999, read), QStringList{QStringLiteral("99999")});
    EXPECT_EQ(insertAndRead(12.5, read), QStringList{QStringLiteral("13")});
    EXPECT_EQ(insertAndRead(QStringLiteral("-12,5"), read), QStringList{QStringLiteral("-13")});
    EXPECT_EQ(errorOf([&] { insertAndRead(123456, read); }).number(), Overflow);
    EXPECT_EQ(errorOf([&] { insertAndRead(99999.5, read); }).number(), Overflow);
    EXPECT_EQ(errorOf([&] { insertAndRead(QStringLiteral(""), read); }).number(), TypeMismatch);

    cmd.parameters()[0].Precision = 5;
    cmd.parameters()[0].NumericScale = 2;
    // text is read by the session's locale (Italian)
    EXPECT_EQ(insertAndRead(QStringLiteral("123,456"), read),
              QStringList{QStringLiteral("123.46")});
    EXPECT_EQ(errorOf([&] { insertAndRead(1234.5, read); }).number(), Overflow);

    cmd.parameters()[0].Precision = 0;
    EXPECT_EQ(errorOf([&] { insertAndRead(1, read); }).number(), adErrInvalidParamInfo);
}

TEST_P(CommandTest, ParametersCollection)
{
    Parameters &params = cmd.parameters();
    auto appendError = [&](long type, long direction) {
        return errorOf([&] {
                   params.Append(cmd.CreateParameter(QStringLiteral("@P"), type, direction));
               })
            .number();
    };
    EXPECT_EQ(appendError(adVarWChar, adParamInput), adErrInvalidParamInfo); // no Size
    EXPECT_EQ(appendError(adInteger, 2), adErrInvalidParamInfo);             // output
    EXPECT_EQ(appendError(adDate, adParamInput), adErrInvalidParamInfo);
    EXPECT_EQ(params.Count(), 0);

    params.Append(cmd.CreateParameter(QStringLiteral("@DITTA"), adNumeric));
    EXPECT_EQ(&params.Item(QStringLiteral("@ditta")), &params.Item(0));
    const RuntimeError unknown = errorOf([&] { params.Item(QStringLiteral("@MISSING")); });
    EXPECT_EQ(unknown.number(), adErrItemNotFound);
    EXPECT_TRUE(mentions(unknown, QLatin1String("@MISSING")));
    EXPECT_EQ(errorOf([&] { params.Item(1); }).number(), adErrItemNotFound);
}

TEST_P(CommandTest, ExecuteRefusesWhatCannotRun)
{
    Command lonely;
    lonely.setCommandText(QStringLiteral("SELECT 1"));
    const RuntimeError none = errorOf([&] { lonely.Execute(); });
    EXPECT_EQ(none.number(), adErrInvalidConnection);
    EXPECT_TRUE(mentions(none, QLatin1String("ActiveConnection")));

    cmd.setCommandText(QStringLiteral("SELECT * FROM t WHERE code = ? AND n = ?"));
    cmd.parameters().Append(cmd.CreateParameter(QStringLiteral("@CODE"), adWChar, adParamInput, 4));
    EXPECT_EQ(errorOf([&] { cmd.Execute(); }).number(), adErrInvalidArgument);

    cmd.setCommandText(QStringLiteral("INSERT INTO positive VALUES (?)"));
    cmd.parameters()[0].Value = QStringLiteral("-1");
    const RuntimeError check = errorOf([&] { cmd.Execute(nullptr, adCmdTextNoRecords); });
    EXPECT_EQ(check.number(), adErrSqlError);
    EXPECT_EQ(check.source(), QStringLiteral("ado.Command"));
    ASSERT_EQ(conn.Errors().size(), 1u);
    EXPECT_TRUE(conn.Errors()[0].description.contains(QLatin1String("check"), Qt::CaseInsensitive))
        << conn.Errors()[0].description.toStdString();

    cmd.setCommandType(adCmdStoredProc);
    EXPECT_EQ(errorOf([&] { cmd.Execute(); }).number(), adErrInvalidArgument);
    // A value that is no command type is refused when set, and the type in force stays.
    for (long bad : {0L, 3L, long(adCmdTextNoRecords), -2L})
        EXPECT_EQ(errorOf([&] { cmd.setCommandType(bad); }).number(), adErrInvalidArgument) << bad;
    EXPECT_EQ(cmd.CommandType(), adCmdStoredProc);
    cmd.setCommandType(adCmdText);
    cmd.setCommandText(QString());
    EXPECT_EQ(errorOf([&] { cmd.Execute(); }).number(), adErrInvalidArgument);

    conn.Close();
    cmd.setCommandText(QStringLiteral("SELECT 1"));
    const RuntimeError closed = errorOf([&] { cmd.Execute(); });
    EXPECT_EQ(closed.number(), adErrInvalidConnection);
    EXPECT_TRUE(mentions(closed, QLatin1String("closed")));
}

INSTANTIATE_BACKENDS(CommandTest);
