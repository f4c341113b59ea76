#include "module_texts.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/sql_tokens.h"
#include "ado/tsql_rewriter.h"
#include "data/save_routines.h"
#include "data/value_domains.h"
#include "data/working_tables.h"
#include "header/header_panel.h"
#include "header/linked_code_rules.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QRegularExpression>

#include <random>

using ado::rewriteTsql;
using causali::HeaderPanel;
using causali::SaveRoutines;
using causali::WorkingTables;

namespace {

void expectRewrite(const QString &tsql, const QString &expected)
{
    EXPECT_EQ(rewriteTsql(tsql).toStdString(), expected.toStdString());
}

// The error that rewriting raises, or a failure when it raises none.
ado::RuntimeError refusal(const QString &tsql)
{
    try {
        const QString out = rewriteTsql(tsql);
        ADD_FAILURE() << "accepted: " << tsql.toStdString() << "\n  as: " << out.toStdString();
    } catch (const ado::RuntimeError &e) {
        return e;
    }
    return ado::RuntimeError(0, {});
}

} // namespace

TEST(TsqlRewriter, ModuleTextsLoseEveryTsqlConstruct)
{
    // Outside literals, nothing of T-SQL's own must reach SQLite.
    const QRegularExpression leftovers(
        QStringLiteral(
            R"((WITH\s*\(NOLOCK\)|[^"]#[A-Z]|\bISNULL\b|\bTOP\b|\bDBO\.|DATABASE_DEFAULT|\bN'|\bOBJECT_ID\b|\[))"),
        QRegularExpression::CaseInsensitiveOption);
    for (const auto &[name, text] : moduletexts::all()) {
        SCOPED_TRACE(name.toStdString());
        QString out;
        ASSERT_NO_THROW(out = rewriteTsql(text));
        QString outsideLiterals = out;
        outsideLiterals.replace(QRegularExpression(QStringLiteral("'([^']|'')*'")),
                                QStringLiteral("''"));
        const QRegularExpressionMatch m = leftovers.match(outsideLiterals);
        EXPECT_FALSE(m.hasMatch()) << m.captured(0).toStdString() << " in\n" << out.toStdString();
        EXPECT_EQ(sqlite3_complete((out + "\n;").toUtf8().constData()), 1) << out.toStdString();
    }
}

// What the module's texts read and write on the demo database is checked by the suites that run
// them; here only what those runs cannot show.
TEST(TsqlRewriter, WorkingTablesAndLiteralsOfTheModuleTexts)
{
    // A working table is temporary and compares its codes without trailing blanks.
    const QString created = rewriteTsql(WorkingTables::createSviluppoText());
    EXPECT_TRUE(created.startsWith("CREATE TEMP TABLE \"#SVILUPPO\"")) << created.toStdString();
    EXPECT_EQ(created.count("COLLATE RTRIM"),
              WorkingTables::createSviluppoText().count("COLLATE DATABASE_DEFAULT"));
    // The drop of a temporary table: any blanks between the pieces, any case, the second argument
    // left out.
    expectRewrite(WorkingTables::dropCausaliLinguaText(),
                  "DROP TABLE IF EXISTS temp.\"#CI99_DESLINGUA\"");
    expectRewrite("if object_id( 'tempdb..#x' )\n\tis  not null\r\ndrop table #X ;",
                  "DROP TABLE IF EXISTS temp.\"#X\"");
    expectRewrite("DROP TABLE #SEZIONALI", "DROP TABLE temp.\"#SEZIONALI\"");
    expectRewrite("DROP TABLE IF EXISTS #SEZIONALI", "DROP TABLE IF EXISTS temp.\"#SEZIONALI\"");
    // A description holding everything the rewriter looks for stays as typed.
    const QString trap = QStringLiteral(
        "L'ufficio -- WITH (NOLOCK) #X ISNULL( TOP 1 N'x' DBO.; [a] /*");
    const QString update =
        SaveRoutines::buildStatements("VEN", 12, causali::LinguaBase, trap, false).s9;
    expectRewrite(update, update);
    const QString lookup = rewriteTsql(causali::linked_rules::lookupText(
        HeaderPanel::LinkedBox::Reference, "ITA", "M'1", "1", "VEN", 42));
    EXPECT_TRUE(lookup.contains("WHEN 1 THEN 'Sì'"));
    EXPECT_TRUE(lookup.contains("FW28_MODELLO_FW25 = 'M''1'"));
}

TEST(TsqlRewriter, OtherTranslations)
{
    // TOP in a subquery ends that subquery; DISTINCT before TOP; TOP (n).
    expectRewrite(
        "SELECT a FROM t WHERE a IN (SELECT DISTINCT TOP (2) b FROM u ORDER BY b) ORDER BY a",
        "SELECT a FROM t WHERE a IN (SELECT DISTINCT  b FROM u ORDER BY b LIMIT 2) ORDER BY a");
    expectRewrite("SELECT TOP 3 a FROM t WITH (NOLOCK)", "SELECT  a FROM t  LIMIT 3");
    expectRewrite("SELECT TOP 1 a FROM (SELECT TOP 5 b AS a FROM u ORDER BY b DESC) AS x",
                  "SELECT  a FROM (SELECT  b AS a FROM u ORDER BY b DESC LIMIT 5) AS x LIMIT 1");
    // Bracketed names, dbo in any case and bracketed, N literals, INSERT and DELETE without
    // INTO and FROM, ISNULL.
    expectRewrite("SELECT [Col One], [a]]b], [x\"y] FROM [dbo].[T] JOIN dbo.U ON 1 = 1",
                  "SELECT \"Col One\", \"a]b\", \"x\"\"y\" FROM \"T\" JOIN U ON 1 = 1");
    expectRewrite("INSERT #T (a) VALUES (N'è', n'', ?)",
                  "INSERT INTO \"#T\" (a) VALUES ('è', '', ?)");
    expectRewrite("DELETE t WHERE ISNULL(a, -1) = -1", "DELETE FROM t WHERE IFNULL(a, -1) = -1");
    // Comments become blanks (T-SQL nests block comments, SQLite does not); a final ';' goes.
    expectRewrite("SELECT 1 /* a /* b */ c */ -- note\r\n;  -- end", "SELECT 1    \r\n   ");
    // Found by the fuzzer: literals written side by side stay two literals once N goes
    // ('a''U' would be the one literal a'U), and so do quoted names.
    expectRewrite("SELECT N'a'N'U', [x][y], [x]'b'", "SELECT 'a' 'U', \"x\" \"y\", \"x\" 'b'");
    // A CTE is SQLite syntax as well.
    expectRewrite("WITH c AS (SELECT 1 AS a) SELECT a FROM c",
                  "WITH c AS (SELECT 1 AS a) SELECT a FROM c");
}

TEST(TsqlRewriter, RefusesWhatItCannotTranslate)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("SELECT 1") + QChar(0), "NUL character"},
        {"SELECT a FROM t; DELETE t", "more than one statement"},
        {"SELECT 'a' + CI03_DESCR FROM CI03_CAUSALI", "concatenation"},
        {"SELECT CI03_DESCR + N'a' FROM CI03_CAUSALI", "concatenation"},
        {"SELECT @x", "variable @x"},
        {"SELECT @@ROWCOUNT", "variable @@ROWCOUNT"},
        {SaveRoutines::buildStatements("VEN", 12, "ITA", {}, false).s1.replace("'VEN'", "@CAUSALE"),
         "@CAUSALE"},
        {"DECLARE @n INT", "DECLARE"},
        {"SET NOCOUNT ON", "SET"},
        {"EXEC sp_who", "EXEC"},
        {"SELECT 1\r\nGO", "GO"},
        {"BEGIN TRAN", "BEGIN"},
        {"SELECT GETDATE()", "GETDATE()"},
        {"SELECT LEN(CI03_DESCR) FROM CI03_CAUSALI", "LEN()"},
        {"SELECT CHARINDEX('a', x) FROM t", "CHARINDEX()"},
        {"SELECT CONVERT(INT, x) FROM t", "CONVERT()"},
        {"SELECT LOG(x) FROM t", "LOG()"},
        {"DELETE t OUTPUT deleted.a WHERE a = 1", "OUTPUT"},
        {"MERGE INTO t USING u ON 1 = 1", "MERGE"},
        {"SELECT * FROM t CROSS APPLY f(t.a)", "CROSS APPLY"},
        {"SELECT * FROM t OUTER APPLY f(t.a)", "OUTER APPLY"},
        {"SELECT * FROM t PIVOT (SUM(a) FOR b IN (x)) p", "PIVOT"},
        {"SELECT * FROM t WITH (UPDLOCK, HOLDLOCK)", "WITH (UPDLOCK, HOLDLOCK)"},
        {"SELECT * FROM t (NOLOCK)", "NOLOCK"},
        {"SELECT a INTO #X FROM t", "SELECT ... INTO"},
        {"CREATE TABLE #X (id INT IDENTITY(1, 1))", "IDENTITY"},
        {"SELECT TOP 10 PERCENT a FROM t", "PERCENT"},
        {"SELECT TOP 1 WITH TIES a FROM t ORDER BY a", "WITH TIES"},
        {"SELECT TOP 1 a FROM t UNION SELECT a FROM u", "UNION"},
        {"SELECT a FROM t UNION ALL SELECT TOP 1 a FROM u", "UNION"},
        {"SELECT TOP (?) a FROM t", "TOP"},
        {"DELETE TOP (1) FROM t", "TOP"},
        {"SELECT a FROM t WHERE a ISNULL", "ISNULL"},
        {"SELECT a NOTNULL FROM t", "NOTNULL"},
        {"SELECT 'abc FROM t", "unterminated string"},
        {"SELECT [abc FROM t", "unterminated bracketed"},
        {"SELECT 1 /* /* */", "unterminated comment"},
        {"SELECT * FROM ##G", "global temporary"},
        {"SELECT CODICE = CI03_CODCAUS FROM CI03_CAUSALI", "CODICE = expression"},
        {"DELETE t FROM t INNER JOIN u ON t.a = u.a", "join"},
        {"UPDATE t SET a = 1 FROM t INNER JOIN u ON t.a = u.a", "UPDATE ... FROM"},
        {"SELECT a COLLATE Latin1_General_CI_AS FROM t", "COLLATE Latin1_General_CI_AS"},
        {"IF EXISTS (SELECT 1 FROM t) DELETE t", "IF"},
        {"IF OBJECT_ID(N'tempdb..#A', N'U') IS NOT NULL DROP TABLE #B", "IF"},
        {"SELECT OBJECT_ID('t')", "OBJECT_ID"},
        {"SELECT X'00'", "blob literal"},
        {"SELECT 0x1F", "binary literal"},
        {"SELECT $1", "'$'"},
        {"SELECT ?1", "?1"},
        {"SELECT a FROM db.dbo.t", "three-part"},
        {"  -- nothing\r\n", "empty"},
        {"SELECT (a FROM t", "never closed"},
        {"CREATE PROCEDURE p AS SELECT 1", "CREATE PROCEDURE"},
    };
    for (const auto &[text, named] : cases) {
        SCOPED_TRACE(text.toStdString());
        const ado::RuntimeError e = refusal(text);
        EXPECT_EQ(e.number(), ado::adErrUnsupportedSql);
        EXPECT_EQ(e.source().toStdString(), "ado.rewriteTsql");
        EXPECT_TRUE(e.description().contains(named, Qt::CaseInsensitive))
            << "description: " << e.description().toStdString();
    }
}

namespace {

// Pieces random statements are made of: words, names, literals and punctuation the rewriter
// acts on, and pieces that make it refuse or that open and close literals and comments.
const char *const kPieces[] = {
    "TOP",
    "1",
    "(",
    ")",
    "FROM",
    "#X",
    "[dbo]",
    "DBO",
    ".",
    "WITH",
    "NOLOCK",
    "WHERE",
    "=",
    "'a''b'",
    "N'c'",
    "''",
    "-",
    ",",
    "ISNULL",
    "IFNULL",
    "DELETE",
    "INSERT",
    "INTO",
    "UPDATE",
    "SET",
    "ORDER",
    "BY",
    "COLLATE",
    "DATABASE_DEFAULT",
    "IS",
    "NOT",
    "NULL",
    "DROP",
    "TABLE",
    "CREATE",
    "?",
    "\r\n",
    " ",
    "\"q\"",
    "[a b]",
    "2.5",
    "CASE",
    "WHEN",
    "THEN",
    "END",
    "*",
    "<>",
    "'Sì'",
    "EXISTS",
    "AS",
    "x",
    "N",
    "\t",
    "SELECT",
    "DISTINCT",
    "/* c */",
    "-- c\n",
};
const char *const kRiskyPieces[] = {
    "+", ";", "UNION",   "IF",   "OBJECT_ID", "@CAUSALE", "--",         "/*", "*/", "[",
    "]", "'", "PERCENT", "TIES", "0x",        "$",        "tempdb..#X", "\"", "N'",
};
const char *const kStarts[] = {"SELECT ", "SELECT TOP 2 ", "DELETE ",     "INSERT INTO ",
                               "UPDATE ", "CREATE TABLE ", "DROP TABLE ", "WITH "};

// String literals of a text as T-SQL reads them (with their N prefix dropped), in order; none
// when the text cannot be split (rewriting it must then raise).
QStringList literalsOf(const QString &text)
{
    QStringList result;
    try {
        for (const ado::sql::Token &t : ado::sql::tokenize(text)) {
            if (t.kind == ado::sql::TokenKind::String)
                result << u'\'' + t.value + u'\'';
        }
    } catch (const ado::RuntimeError &) {
        EXPECT_THROW(rewriteTsql(text), ado::RuntimeError);
    }
    return result;
}

// Rewriting either raises RuntimeError or gives a text in which every literal of the input
// appears unchanged and in order, and whose quotes and comments SQLite sees closed.
void checkRandomText(const QString &text, const QStringList &literals)
{
    QString out;
    try {
        out = rewriteTsql(text);
    } catch (const ado::RuntimeError &e) {
        ASSERT_EQ(e.number(), ado::adErrUnsupportedSql) << text.toStdString();
        ASSERT_FALSE(e.description().isEmpty());
        return;
    }
    ASSERT_EQ(sqlite3_complete((out + "\n;").toUtf8().constData()), 1)
        << text.toStdString() << "\n->\n"
        << out.toStdString();
    // The temporary-table drop is the one text whose literals are arguments, not data.
    if (out.startsWith(QStringLiteral("DROP TABLE IF EXISTS temp."))
        && text.contains(QStringLiteral("OBJECT_ID")))
        return;
    qsizetype from = 0;
    for (const QString &literal : literals) {
        const qsizetype at = out.indexOf(literal, from);
        ASSERT_GE(at, 0) << "literal " << literal.toStdString() << " lost from\n"
                         << text.toStdString() << "\nin\n"
                         << out.toStdString();
        from = at + literal.size();
    }
}

} // namespace

TEST(TsqlRewriter, RandomTextsRewriteOrRaise)
{
    std::mt19937 random(20240611);
    auto pick = [&random](const auto &pieces) {
        return QString::fromUtf8(pieces[random() % std::size(pieces)]);
    };
    // Clean sequences: pieces apart, no risky ones, so the literals are known beforehand.
    for (int round = 0; round < 2000; ++round) {
        QString text = pick(kStarts);
        QStringList literals;
        const int length = int(random() % 25);
        for (int i = 0; i < length; ++i) {
            const QString p = pick(kPieces);
            text += p + u' ';
            if (p.endsWith(u'\''))
                literals << p.mid(p.indexOf(u'\''));
        }
        checkRandomText(text, literals);
    }
    // Any sequence, pieces glued or apart, risky pieces now and then.
    auto piece = [&] { return random() % 8 == 0 ? pick(kRiskyPieces) : pick(kPieces); };
    for (int round = 0; round < 2000; ++round) {
        QString text = pick(kStarts);
        const int length = int(random() % 25);
        for (int i = 0; i < length; ++i)
            text += piece() + (random() % 3 == 0 ? QStringLiteral(" ") : QString());
        checkRandomText(text, literalsOf(text));
    }
    // Mutations of the real texts: a character dropped, doubled or replaced, a piece inserted.
    const auto texts = moduletexts::all();
    for (int round = 0; round < 3000; ++round) {
        QString text = texts[random() % texts.size()].second;
        const int mutations = 1 + int(random() % 3);
        for (int m = 0; m < mutations && !text.isEmpty(); ++m) {
            const int at = int(random() % unsigned(text.size()));
            switch (random() % 4) {
            case 0:
                text.remove(at, 1);
                break;
            case 1:
                text.insert(at, text[at]);
                break;
            case 2:
                text[at] = QChar(u"'\"[]();-*/#@N?+ \0"[random() % 17]);
                break;
            default:
                text.insert(at, piece());
                break;
            }
        }
        checkRandomText(text, literalsOf(text));
    }
}
