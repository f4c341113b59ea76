// The module's SQL texts run through the connection on the demo database. What the working-table
// fills, the save and the deletion write is checked where the data routines send those same
// texts (tests/data); here every text compiles and the lookups read what the stored rows say.
// Expected rows come straight from SQLite, not through the layer under test.

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/module_sql_texts.h"
#include "ado/recordset.h"
#include "ado/statement.h"
#include "support/sql_rows.h"
#include "support/test_database.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace sqltexts;
namespace demo = testsupport::demo;

namespace {

// A value as the rows below show it: NULL, or the text SQLite gives.
QString shown(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::Double && v.toDouble() == qRound64(v.toDouble()))
        return QString::number(qRound64(v.toDouble()));
    return v.toString();
}

// Rows one per line, for readable comparisons.
std::string text(const QStringList &rows)
{
    return rows.join(u'\n').toStdString();
}

class SqlTexts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cn.Open(database.connectionString());
        for (const QString &text : {createJournalsTable(), fillJournals(), createSearchTable(), fillSearch(),
                                    createDevelopmentTable(), fillDevelopment(), createLanguageTable(),
                                    fillLanguage("ITA")})
            run(text);
    }

    void run(const QString &text) { cn.Execute(text, nullptr, ado::adCmdTextNoRecords); }

    // Rows read through the connection, columns joined by '|'.
    QStringList read(const QString &text)
    {
        QStringList rows;
        const std::unique_ptr<ado::Recordset> rs = cn.Execute(text);
        if (rs->State() != ado::adStateOpen)
            return rows;
        while (!rs->isEOF()) {
            QStringList columns;
            for (int i = 0; i < rs->FieldCount(); ++i)
                columns << shown(rs->Fields(i).Value());
            rows << columns.join(u'|');
            rs->MoveNext();
        }
        return rows;
    }

    // Rows as SQLite gives them, columns joined by '|'.
    QStringList stored(const QString &sql) const
    {
        QStringList rows;
        for (const QStringList &row : testsupport::queryRows(cn.handle(), sql))
            rows << row.join(u'|').replace(QStringLiteral("<NULL>"), QStringLiteral("NULL"));
        return rows;
    }
    QString storedValue(const QString &sql) const { return stored(sql).value(0, QStringLiteral("<no row>")); }

    testsupport::TestDatabase database;
    ado::Connection cn;
};

} // namespace

TEST_F(SqlTexts, EveryTextCompilesOnTheDemoSchema)
{
    for (const auto &[name, text] : all()) {
        if (name.startsWith("create") || name == "dropLanguageTable")
            continue; // run by the fixture and below
        SCOPED_TRACE(name.toStdString());
        EXPECT_NO_THROW(cn.prepare(text)) << text.toStdString();
    }
    // The drop works on the table and, run again, on no table.
    run(dropLanguageTable());
    run(dropLanguageTable());
    EXPECT_THROW(read(clearLanguage()), ado::RuntimeError);
}

TEST_F(SqlTexts, ShowTextsReadTheWorkingTables)
{
    // The journals of a code, each with its company's journal name.
    const QStringList journals = read(showJournals("VEND"));
    EXPECT_EQ(journals.size(), 3);
    EXPECT_TRUE(journals.join('\n').contains(QString::fromUtf8(demo::SalesJournalCompany2)));
    // The description of one code in the window's language; another language after a rebuild.
    EXPECT_EQ(read(showLanguage("ITA", "1")).size(), 1);
    run(dropLanguageTable());
    run(createLanguageTable());
    run(fillLanguage("ENG"));
    EXPECT_EQ(text(read(showLanguage("ENG", "1"))),
              text(stored("SELECT CI99_CODLINGUA_MG52, CI99_PROVID_FW4A, CI99_IDPROV, CI99_DESCRIZIONE"
                          " FROM CI99_DESLINGUA"
                          " WHERE CI99_PROVID_FW4A = 903 AND CI99_CODLINGUA_MG52 = 'ENG' AND CI99_IDPROV = 1")));
    EXPECT_TRUE(read(showLanguage("ITA", "1")).isEmpty());
}

TEST_F(SqlTexts, LookupsAndUsageChecks)
{
    // TOP 1 ... ORDER BY DESC: the highest row number of the code, one row.
    EXPECT_EQ(text(read(lastProgressive(demo::StandardCode))),
              text(stored("SELECT MAX(CI10_PROG) FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'CESE'")));
    EXPECT_EQ(text(read(lastProgressive(demo::StandardCode))), "3");
    EXPECT_TRUE(read(lastProgressive(demo::UnusedCode + QStringLiteral("X"))).isEmpty());
    EXPECT_EQ(text(read(chartDescription("1"))),
              text(stored("SELECT PC01_DESCR FROM PC01_DESCRPDC WHERE PC01_CODICE = 1")));
    EXPECT_EQ(text(read(journalDescription(demo::SalesJournal, 2))), std::string(demo::SalesJournalCompany2));
    EXPECT_EQ(read(companyList()).size(), demo::CostAccountingCompanyCount);

    EXPECT_EQ(text(read(usedByStock(demo::CompanyStockDocumentOnlyCode))), "0");
    EXPECT_GT(read(usedByCompanyStock(demo::CompanyStockDocumentOnlyCode)).value(0).toInt(), 0);
    EXPECT_FALSE(read(usedByProduction(demo::ProductionCode)).isEmpty());
    EXPECT_TRUE(read(usedByProduction(demo::UnusedCode)).isEmpty());
    EXPECT_GT(read(usedByReallocation(demo::ReallocationCode)).value(0).toInt(), 0);
    EXPECT_EQ(text(read(usedByReallocation(demo::UnusedCode))), "0");

    ado::Command provider;
    provider.setActiveConnection(&cn);
    provider.setCommandType(ado::adCmdText);
    provider.setCommandText(cmdProviderDescription());
    provider.parameters().Append(provider.CreateParameter("@PROVIDER", ado::adSmallInt, ado::adParamInput, 0, 9));
    const std::unique_ptr<ado::Recordset> rs = provider.Execute();
    ASSERT_FALSE(rs->isEOF());
    EXPECT_EQ(rs->Fields(0).Value().toString(),
              storedValue("SELECT CI07_DESCRIZIONE FROM CI07_PROVCONTO WHERE CI07_PROVIDER = 9"));
}

TEST_F(SqlTexts, HeaderAndLinkedCodes)
{
    const QStringList header = read(headerSelect());
    EXPECT_EQ(header.size(), demo::ReasonCodeCount);
    EXPECT_TRUE(header.join('\n').contains(QStringLiteral("CESE|%1|").arg(demo::ApostropheDescription)));
    EXPECT_TRUE(read(clearChecks()).isEmpty());
    EXPECT_EQ(read(showChecks(demo::StockCode)).size(), 2);
    EXPECT_TRUE(read(showChecks(demo::ItalianOnlyCode)).isEmpty());

    // Mask of the edited code, then its candidates: never the code itself, each decodes.
    const Flags flags = {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    for (const bool reference : {false, true}) {
        SCOPED_TRACE(reference ? "reference movement" : "linked code");
        const QStringList mask = read(reference ? maskSelectReference("1", flags) : maskSelect(flags));
        ASSERT_EQ(mask.size(), 1);
        const long maskValue = mask.first().toLong();
        const QString model = storedValue("SELECT CI03_MODELLO_CI04 FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'CESE'");
        const QStringList candidates = read(linkedLookup("ITA", model, 0, "CESE", maskValue, reference));
        ASSERT_FALSE(candidates.isEmpty());
        for (const QString &row : candidates) {
            const QString candidate = row.section(u'|', 0, 0);
            EXPECT_NE(candidate, "CESE");
            EXPECT_EQ(read(linkedDecode("ITA", model, 0, "CESE", maskValue, candidate, reference)).size(), 1);
        }
        EXPECT_TRUE(read(linkedDecode("ITA", model, 0, "CESE", maskValue, "CESE", reference)).isEmpty());
    }
}
