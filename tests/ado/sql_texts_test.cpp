// The module's SQL texts, from the module's own builders, run through the connection on the demo
// database. What the save and the deletion write is checked where the data routines send those
// texts (tests/data); here every text compiles and each read gives the rows the stored tables
// hold. Expected rows come straight from SQLite, not through the layer under test.

#include "module_texts.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/statement.h"
#include "data/lookups.h"
#include "data/value_domains.h"
#include "data/working_tables.h"
#include "header/header_panel.h"
#include "header/linked_code_rules.h"
#include "satellites/child_sql.h"
#include "support/sql_rows.h"
#include "support/test_database.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

using causali::HeaderPanel;
using causali::Lookups;
using causali::WorkingTables;
namespace childsql = causali::childsql;
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
        for (const QString &text : WorkingTables::preparationTexts())
            run(text);
    }

    void run(const QString &text) { cn.Execute(text, nullptr, ado::adCmdTextNoRecords); }

    // What showing a code puts in the working tables.
    void load(const QString &code, const QString &language)
    {
        for (const QString &text : WorkingTables::loadingTexts(code, language, idProv(code)))
            run(text);
    }
    QVariant idProv(const QString &code) const
    {
        return storedValue("SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = '" + code
                           + "'");
    }

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

    // Rows as the database's own client gives them, columns joined by '|'.
    QStringList stored(const QString &sql) const
    {
        return testsupport::joinedRows(testsupport::queryRows(cn, sql));
    }
    QString storedValue(const QString &sql) const
    {
        return stored(sql).value(0, QStringLiteral("<no row>"));
    }

    testsupport::TestDatabase database;
    ado::Connection cn;
};

} // namespace

TEST_F(SqlTexts, EveryTextCompilesOnTheDemoSchema)
{
    for (const auto &[name, text] : moduletexts::all()) {
        if (name.startsWith("preparation") || name == "dropCausaliLinguaText")
            continue; // run by the fixture and below
        SCOPED_TRACE(name.toStdString());
        EXPECT_NO_THROW(cn.prepare(text)) << text.toStdString();
    }
    // The drop works on the table and, run again, on no table.
    run(WorkingTables::dropCausaliLinguaText());
    run(WorkingTables::dropCausaliLinguaText());
    EXPECT_THROW(read(childsql::emptyLanguageText()), ado::RuntimeError);
}

TEST_F(SqlTexts, ShowTextsReadTheCodeLoadedInTheWorkingTables)
{
    load("VEND", "ITA");
    // The journals of the code, each with its company's journal name.
    const QStringList journals = read(childsql::journalsText("VEND"));
    EXPECT_EQ(journals.size(), 3);
    EXPECT_TRUE(journals.join('\n').contains(QString::fromUtf8(demo::SalesJournalCompany2)));
    // One side of the search sequence, in rank order.
    EXPECT_EQ(text(read(childsql::searchSequenceText("VEND", 2))),
              text(stored("SELECT CI06_CAUSALE_CI03, CI06_INDSEGNO, CI06_INDTIPORIGA,"
                          " CI06_PROVIDER_CI07, CI06_PROGRESSIVO FROM CI06_RICERCACONTO"
                          " WHERE CI06_CAUSALE_CI03 = 'VEND' AND CI06_INDSEGNO = 2"
                          " ORDER BY CI06_PROGRESSIVO")));
    EXPECT_EQ(read(childsql::searchSequenceText("VEND", 2)).size(), 2);
    EXPECT_TRUE(read(childsql::searchSequenceText(demo::StockCode, 2)).isEmpty())
        << "only the code shown is loaded";

    // The descriptions of the code in the window's language; another language after a reload.
    const QVariant id = idProv("VEND");
    const QString descriptions =
        "SELECT CI99_CODLINGUA_MG52, CI99_PROVID_FW4A, CI99_IDPROV, CI99_DESCRIZIONE"
        " FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV = "
        + id.toString() + " AND CI99_CODLINGUA_MG52 = ";
    EXPECT_EQ(text(read(childsql::languageText("ITA", id))), text(stored(descriptions + "'ITA'")));
    EXPECT_EQ(read(HeaderPanel::languageSelectText("ITA")).size(), 1);
    load("VEND", "ENG");
    EXPECT_EQ(text(read(childsql::languageText("ENG", id))), text(stored(descriptions + "'ENG'")));
    EXPECT_TRUE(read(childsql::languageText("ITA", id)).isEmpty());

    // A proposal entered without an expense-item chart (-1): the rows of the window's chart,
    // the account in the credit (2) or debit (1) column by its sign; all rows on any chart.
    load("AMMO", "ITA");
    EXPECT_EQ(text(read(childsql::developmentText("AMMO", demo::ChartOfAccounts, -1))),
              "AMMO|1|1|100|1|0401001|-1|NULL|NULL|0401001\n"
              "AMMO|2|2|100|1|0101001|-1|NULL|0101001|NULL");
    EXPECT_TRUE(
        read(childsql::developmentText("AMMO", demo::ChartOfAccounts, demo::ExpenseItemChart))
            .isEmpty());
    EXPECT_EQ(read(childsql::developmentSourceText("AMMO")).size(), 4);

    // The frames' empty texts give their columns and no row.
    for (const QString &empty : {childsql::emptyJournalsText(), childsql::emptyDevelopmentText(),
                                 childsql::emptySearchSequenceText(), childsql::emptyLanguageText(),
                                 childsql::emptyChecksText()})
        EXPECT_TRUE(read(empty).isEmpty()) << empty.toStdString();
}

TEST_F(SqlTexts, LookupsAndUsageChecks)
{
    // TOP 1 ... ORDER BY DESC: the highest row number of the code, one row.
    EXPECT_EQ(
        text(read(Lookups::lastProgressivoText(demo::StandardCode))),
        text(stored(
            "SELECT MAX(CI10_PROG) FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'CESE'")));
    EXPECT_EQ(text(read(Lookups::lastProgressivoText(demo::StandardCode))), "3");
    EXPECT_TRUE(
        read(Lookups::lastProgressivoText(demo::UnusedCode + QStringLiteral("X"))).isEmpty());
    EXPECT_EQ(text(read(Lookups::pdcDescriptionText(1))),
              text(stored("SELECT PC01_DESCR FROM PC01_DESCRPDC WHERE PC01_CODICE = 1")));
    EXPECT_EQ(text(read(Lookups::journalDescriptionText(2, demo::SalesJournal))),
              std::string(demo::SalesJournalCompany2));
    EXPECT_EQ(read(causali::companyListText()).size(), demo::CostAccountingCompanyCount);

    EXPECT_EQ(text(read(Lookups::stockDocumentUsageText(demo::CompanyStockDocumentOnlyCode))), "0");
    EXPECT_GT(read(Lookups::companyStockDocumentUsageText(demo::CompanyStockDocumentOnlyCode))
                  .value(0)
                  .toInt(),
              0);
    EXPECT_FALSE(read(Lookups::productionUsageText(demo::ProductionCode)).isEmpty());
    EXPECT_TRUE(read(Lookups::productionUsageText(demo::UnusedCode)).isEmpty());
    EXPECT_GT(read(Lookups::reallocationUsageText(demo::ReallocationCode)).value(0).toInt(), 0);
    EXPECT_EQ(text(read(Lookups::reallocationUsageText(demo::UnusedCode))), "0");

    ado::Command provider;
    provider.setActiveConnection(&cn);
    provider.setCommandType(ado::adCmdText);
    provider.setCommandText(Lookups::providerDescriptionText());
    provider.parameters().Append(
        provider.CreateParameter("@PROVIDER", ado::adSmallInt, ado::adParamInput, 0, 9));
    const std::unique_ptr<ado::Recordset> rs = provider.Execute();
    ASSERT_FALSE(rs->isEOF());
    EXPECT_EQ(rs->Fields(0).Value().toString(),
              storedValue("SELECT CI07_DESCRIZIONE FROM CI07_PROVCONTO WHERE CI07_PROVIDER = 9"));
}

TEST_F(SqlTexts, HeaderAndLinkedCodes)
{
    // Every code, in the order of the codes.
    const QStringList header = read(HeaderPanel::headerSelectText());
    EXPECT_EQ(header.size(), demo::ReasonCodeCount);
    EXPECT_TRUE(
        header.join('\n').contains(QStringLiteral("CESE|%1|").arg(demo::ApostropheDescription)));
    QStringList codes;
    for (const QString &row : header)
        codes << row.section(u'|', 0, 0);
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end())) << text(codes);
    EXPECT_EQ(read(childsql::checksText(demo::StockCode)).size(), 2);
    EXPECT_TRUE(read(childsql::checksText(demo::ItalianOnlyCode)).isEmpty());

    // Mask of the edited code, then its candidates: never the code itself, each decodes.
    using Box = HeaderPanel::LinkedBox;
    QStringList flags(20, QStringLiteral("0"));
    flags[3] = flags[13] = QStringLiteral("1");
    const QString model = storedValue(
        "SELECT CI03_MODELLO_CI04 FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'CESE'");
    for (const Box box : {Box::Linked, Box::Reference}) {
        SCOPED_TRACE(box == Box::Reference ? "reference movement" : "linked code");
        const QStringList mask = read(causali::linked_rules::configMaskText(box, "1", flags));
        ASSERT_EQ(mask.size(), 1);
        const qint64 maskValue = mask.first().toLongLong();
        const QStringList candidates = read(
            causali::linked_rules::lookupText(box, "ITA", model, "0", "CESE", maskValue));
        ASSERT_FALSE(candidates.isEmpty());
        for (const QString &row : candidates) {
            const QString candidate = row.section(u'|', 0, 0);
            EXPECT_NE(candidate, "CESE");
            EXPECT_EQ(read(causali::linked_rules::decodeText(box, "ITA", model, "0", "CESE",
                                                             maskValue, candidate))
                          .size(),
                      1);
        }
        EXPECT_TRUE(read(causali::linked_rules::decodeText(box, "ITA", model, "0", "CESE",
                                                           maskValue, "CESE"))
                        .isEmpty());
    }

    // CESE (model STD, credit type 0, debit types 2 and 3): only the codes whose model asks for
    // no more mandatory fields and whose types the server accepts, in code order.
    QStringList ceseFlags(20, QStringLiteral("0"));
    ceseFlags[0] = ceseFlags[12] = ceseFlags[13] = QStringLiteral("1");
    const qint64 ceseMask = read(causali::linked_rules::configMaskText(Box::Linked, {}, ceseFlags))
                                .value(0)
                                .toLongLong();
    QStringList listed;
    for (const QString &row :
         read(causali::linked_rules::lookupText(Box::Linked, "ITA", "STD", "0", "CESE", ceseMask)))
        listed << row.section(u'|', 0, 0);
    EXPECT_EQ(listed, (QStringList{"CHIU", "STOR"}));
}
