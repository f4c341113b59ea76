// The module's SQL texts run through the connection on the demo database: what they read and
// what they change. Stored rows are checked with a second, raw SQLite connection so that the
// expectation does not come through the layer under test.

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/module_sql_texts.h"
#include "ado/recordset.h"
#include "ado/statement.h"
#include "support/test_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

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

    // Rows of the database file as a second connection sees them.
    QStringList stored(const QString &sql) const
    {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(database.path().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *stmt = nullptr;
        QStringList rows;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "raw query: " << sqlite3_errmsg(db) << "\n" << sql.toStdString();
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
                columns << (text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
            }
            rows << columns.join(u'|');
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return rows;
    }
    QString storedValue(const QString &sql) const
    {
        const QStringList rows = stored(sql);
        return rows.isEmpty() ? QStringLiteral("<no row>") : rows.first();
    }

    void deleteWithCommand(const QString &text, const QString &code)
    {
        ado::Command cmd;
        cmd.setActiveConnection(&cn);
        cmd.setCommandType(ado::adCmdText);
        cmd.setCommandText(text);
        cmd.parameters().Append(cmd.CreateParameter("@CAUSALE", ado::adWChar, ado::adParamInput, 4));
        cmd.setPrepared(true);
        cmd.parameters()["@CAUSALE"].Value = code;
        cmd.Execute();
    }

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

TEST_F(SqlTexts, WorkingTablesCopyTheStoredRows)
{
    // Journals: inner joins drop the row whose journal its company lacks; names and
    // descriptions come along.
    const QStringList journals = read("SELECT CI05_CAUSALE_CI03, CI05_DITTA_CG18, CI05_SEZIONALE_CG68, "
                                      "DESCR_SEZIONALE FROM #SEZIONALI");
    EXPECT_EQ(journals.size(), stored("SELECT * FROM CI05_PROPSEZ").size() - 1);
    EXPECT_FALSE(journals.join('\n').contains(QStringLiteral("%1|%2|").arg(demo::OrphanJournalCode)
                                                  .arg(demo::OrphanJournalCompany)));
    EXPECT_TRUE(journals.contains(QStringLiteral("VEND|1|VE|%1").arg(demo::SalesJournalCompany1)));
    EXPECT_TRUE(journals.contains(QStringLiteral("VEND|2|VE|%1").arg(demo::SalesJournalCompany2)));
    EXPECT_EQ(read(showJournals("VEND")).size(), 3);

    // Search sequence: every row, as stored.
    const QString searchOrder = " ORDER BY CI06_CAUSALE_CI03, CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROGRESSIVO";
    EXPECT_EQ(text(read("SELECT * FROM #CI06_RICERCACONTO" + searchOrder)),
              text(stored("SELECT * FROM CI06_RICERCACONTO" + searchOrder)));

    // Proposal: renamed columns, -1 for no expense chart, the account copied by sign.
    QStringList expected;
    for (const QString &row : stored("SELECT * FROM CI10_PROPCONTICAUS ORDER BY CI10_CODCAUS_CI03, CI10_PROG")) {
        const QStringList c = row.split(u'|'); // code, prog, sign, perc, chart, account, exp. chart, item
        expected << QStringList{c[0], c[1], c[2], c[3], c[4], c[5], c[6] == "NULL" ? "-1" : c[6], c[7],
                                c[2] == "2" ? c[5] : "NULL", c[2] == "1" ? c[5] : "NULL"}
                        .join(u'|');
    }
    ASSERT_TRUE(expected.join('\n').contains("|-1|")) << "the demo data should hold a row without expense chart";
    EXPECT_EQ(text(read("SELECT CAUSALE, PROG, SEGNO, PERCENTUALE, PDC, CONTO, PDCVDS, VDS, AVERE, DARE "
                        "FROM #SVILUPPO ORDER BY CAUSALE, PROG")),
              text(expected));

    // Descriptions: provenance 903 of the window's language only; another language after a drop.
    const QString languageRows = "SELECT CI99_CODLINGUA_MG52, CI99_IDPROV, CI99_DESCRIZIONE FROM %1 "
                                 "WHERE %2 ORDER BY CI99_IDPROV";
    EXPECT_EQ(text(read(languageRows.arg("#CI99_DESLINGUA", "1 = 1"))),
              text(stored(languageRows.arg("CI99_DESLINGUA",
                                           "CI99_PROVID_FW4A = 903 AND CI99_CODLINGUA_MG52 = 'ITA'"))));
    EXPECT_EQ(read(showLanguage("ITA", "1")).size(), 1);
    run(dropLanguageTable());
    run(createLanguageTable());
    run(fillLanguage("ENG"));
    EXPECT_EQ(text(read(languageRows.arg("#CI99_DESLINGUA", "1 = 1"))),
              text(stored(languageRows.arg("CI99_DESLINGUA",
                                           "CI99_PROVID_FW4A = 903 AND CI99_CODLINGUA_MG52 = 'ENG'"))));
}

TEST_F(SqlTexts, SaveReplacesTheSatellitesOfOneCode)
{
    const QString code = demo::StockCode; // CI03_IDPROV 1
    const QString others = "SELECT * FROM %1 WHERE %2 <> 'ACQM' ORDER BY 1, 2, 3";
    const QStringList searchBefore = stored(others.arg("CI06_RICERCACONTO", "CI06_CAUSALE_CI03"));
    const QStringList proposalBefore = stored(others.arg("CI10_PROPCONTICAUS", "CI10_CODCAUS_CI03"));
    const QStringList journalsBefore = stored(others.arg("CI05_PROPSEZ", "CI05_CAUSALE_CI03"));
    const QString descriptionsOf1 = "SELECT * FROM CI99_DESLINGUA WHERE NOT (CI99_PROVID_FW4A = 903 AND "
                                    "CI99_CODLINGUA_MG52 = 'ITA' AND CI99_IDPROV = 1) ORDER BY 1, 2, 3";
    const QStringList descriptionsBefore = stored(descriptionsOf1);

    // The user's edits in the working tables.
    run("DELETE #CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM' AND CI06_INDSEGNO = 2 AND CI06_INDTIPORIGA = 4");
    run("INSERT INTO #CI06_RICERCACONTO VALUES ('ACQM', 1, 15, 3, 1)");
    run("INSERT INTO #SVILUPPO (CAUSALE, PROG, SEGNO, PERCENTUALE, PDC, CONTO, PDCVDS, VDS) "
        "VALUES ('ACQM', 99, 1, 12.5, 1, 'C99', -1, 'V99')");
    run("UPDATE #SEZIONALI SET CI05_SEZIONALE_CG68 = 'MA' WHERE CI05_CAUSALE_CI03 = 'ACQM' AND CI05_DITTA_CG18 = 2");
    const QString description = QStringLiteral("L'ufficio -- acquisti /* #X */");
    run("UPDATE #CI99_DESLINGUA SET CI99_DESCRIZIONE = " + quoted(description) + " WHERE CI99_IDPROV = 1");

    cn.BeginTrans();
    for (const QString &text : {s1(code), s2(code), s3(code), s4(code), s5(code), s6(code), s7("1", "ITA", false),
                                s8("1", "ITA"), s9(description, "1")})
        run(text);
    cn.CommitTrans();

    const QString searchOrder = " ORDER BY CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROGRESSIVO";
    EXPECT_EQ(text(stored("SELECT * FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM'" + searchOrder)),
              text(read("SELECT * FROM #CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM'" + searchOrder)));
    EXPECT_TRUE(stored("SELECT * FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'ACQM'").contains("ACQM|1|15|3|1"));
    EXPECT_EQ(storedValue("SELECT CI10_INDSEGNO, CI10_PERC, CI10_CONTO_PC03, CI10_PDCVDS_PC01, CI10_VDS_PC03 "
                          "FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'ACQM' AND CI10_PROG = 99"),
              "1|12.5|C99|NULL|NULL");
    EXPECT_EQ(storedValue("SELECT COUNT(*) FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'ACQM'"),
              read("SELECT COUNT(*) FROM #SVILUPPO WHERE CAUSALE = 'ACQM'").value(0));
    EXPECT_EQ(storedValue("SELECT CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 = 'ACQM' "
                          "AND CI05_DITTA_CG18 = 2"),
              "MA");
    EXPECT_EQ(storedValue("SELECT CI99_DESCRIZIONE FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903 "
                          "AND CI99_CODLINGUA_MG52 = 'ITA' AND CI99_IDPROV = 1"),
              description);
    EXPECT_EQ(storedValue("SELECT CI03_DESCR FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'ACQM'"), description);

    // Nothing else moved.
    EXPECT_EQ(text(stored(others.arg("CI06_RICERCACONTO", "CI06_CAUSALE_CI03"))), text(searchBefore));
    EXPECT_EQ(text(stored(others.arg("CI10_PROPCONTICAUS", "CI10_CODCAUS_CI03"))), text(proposalBefore));
    EXPECT_EQ(text(stored(others.arg("CI05_PROPSEZ", "CI05_CAUSALE_CI03"))), text(journalsBefore));
    EXPECT_EQ(text(stored(descriptionsOf1)), text(descriptionsBefore));
}

TEST_F(SqlTexts, DeletionRemovesEverySatelliteOfTheCode)
{
    const QString code = demo::StockCode; // CI03_IDPROV 1, descriptions in ITA, ENG and DEU
    const QString count = "SELECT COUNT(*) FROM %1 WHERE %2 = 'ACQM'";
    const QString otherDescriptions = "SELECT COUNT(*) FROM CI99_DESLINGUA WHERE NOT "
                                      "(CI99_PROVID_FW4A = 903 AND CI99_IDPROV = 1)";
    ASSERT_NE(storedValue(count.arg("CI11_CONTROLLOCONTI", "CI11_CODCAUS_CI03")), "0");
    ASSERT_EQ(storedValue("SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV = 1"),
              "3");
    const QString othersBefore = storedValue(otherDescriptions);
    const QString otherRows = "SELECT (SELECT COUNT(*) FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 <> 'ACQM')"
                              ", (SELECT COUNT(*) FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 <> 'ACQM')"
                              ", (SELECT COUNT(*) FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 <> 'ACQM')"
                              ", (SELECT COUNT(*) FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 <> 'ACQM')";
    const QString otherRowsBefore = storedValue(otherRows);

    deleteWithCommand(cmdDeleteChecks(), code);
    run(deleteWorkSearch(code));
    deleteWithCommand(cmdDeleteSearch(), code);
    run(deleteWorkDevelopment(code));
    deleteWithCommand(cmdDeleteDevelopment(), code);
    run(deleteWorkJournals(code));
    deleteWithCommand(cmdDeleteJournals(), code);
    run(deleteWorkLanguage("1"));
    cn.BeginTrans();
    for (const QString &text : {s1(code), s2(code), s3(code), s4(code), s5(code), s6(code), s7("1", "ITA", true),
                                s8("1", "ITA")})
        run(text);
    cn.CommitTrans();

    EXPECT_EQ(storedValue(count.arg("CI11_CONTROLLOCONTI", "CI11_CODCAUS_CI03")), "0");
    EXPECT_EQ(storedValue(count.arg("CI06_RICERCACONTO", "CI06_CAUSALE_CI03")), "0");
    EXPECT_EQ(storedValue(count.arg("CI10_PROPCONTICAUS", "CI10_CODCAUS_CI03")), "0");
    EXPECT_EQ(storedValue(count.arg("CI05_PROPSEZ", "CI05_CAUSALE_CI03")), "0");
    EXPECT_EQ(storedValue("SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV = 1"),
              "0");
    EXPECT_EQ(text(read(count.arg("#SEZIONALI", "CI05_CAUSALE_CI03"))), "0");
    EXPECT_EQ(text(read(count.arg("#SVILUPPO", "CAUSALE"))), "0");
    // Other codes, and descriptions of other provenances with the same number, stay.
    EXPECT_EQ(storedValue(otherDescriptions), othersBefore);
    EXPECT_EQ(storedValue(otherRows), otherRowsBefore);
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
