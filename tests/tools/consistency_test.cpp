// The consistency check over all codes: each kind of finding on a demo database damaged on
// purpose, named by code, list and row; a clean database has none.

#include "exchange_fixture.h"

#include "tools/consistency_check.h"
#include "tools/exchange_import.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace toolstest {
namespace {

using causali::consistency::findInconsistencies;
using causali::consistency::Finding;

// "CODE LIST ROW FIELD" of each finding.
QStringList where(const QList<Finding> &findings)
{
    QStringList out;
    for (const Finding &f : findings) {
        EXPECT_FALSE(f.reason.isEmpty());
        out << QStringLiteral("%1 %2 %3 %4").arg(f.code, f.list).arg(f.row).arg(f.field);
    }
    return out;
}

class ConsistencyTest : public ExchangeFixture
{
};

TEST_F(ConsistencyTest, TheDemoHasItsTwoKnownFlawsAndACleanDatabaseNone)
{
    // ENER keeps a journal its company lacks; CHIU has only its Italian description.
    const QStringList demo = where(findInconsistencies(source));
    EXPECT_TRUE(demo.contains("ENER CI05_PROPSEZ 2 CI05_SEZIONALE_CG68"))
        << demo.join('\n').toStdString();
    EXPECT_TRUE(demo.contains("CHIU CI99_DESLINGUA 0 CI99_CODLINGUA_MG52"));

    EXPECT_TRUE(findInconsistencies(target).isEmpty());
    ASSERT_TRUE(causali::exchange::importCodes(
                    target, causali::exchange::exportCodes(source, acceptedDemoCodes()))
                    .ok());
    const QList<Finding> imported = findInconsistencies(target);
    EXPECT_TRUE(imported.isEmpty()) << where(imported).join('\n').toStdString();
    EXPECT_EQ(causali::consistency::findingsText({}),
              QStringLiteral("Nessuna incoerenza trovata.\n"));
}

TEST_F(ConsistencyTest, EachKindOfDamageIsFoundWhereItIs)
{
    const QStringList before = where(findInconsistencies(source));
    // A provider removed; an account whose type changed; an expense item removed; a journal
    // removed from its company; STOR's account types changed to "other types" only, so CESE can no longer link it;
    // ACQM's English description removed.
    exec(source, "DELETE FROM CI07_PROVCONTO WHERE CI07_PROVIDER = 5");
    exec(source, "UPDATE PC03_CONTI SET PC03_INDTIPOCONTO = 9 WHERE PC03_PDC_PC01 = 1 "
                 "AND PC03_CONTO = '0401003'");
    exec(source, "DELETE FROM PC03_CONTI WHERE PC03_PDC_PC01 = 2 AND PC03_CONTO = '10005'");
    exec(source, "DELETE FROM CG68_NUMERDESC WHERE CG68_DITTA_CG18 = 2 AND CG68_SEZIONALE = 'AC'");
    exec(source, "UPDATE CI11_CONTROLLOCONTI SET CI11_FLGCOLLEG = 0, CI11_FLGTRANSIT = 0, "
                 "CI11_FLGCOMPET = 0, CI11_FLGCDC = 0, CI11_FLGALTRITIPI = 1 "
                 "WHERE CI11_CODCAUS_CI03 = 'STOR'");
    exec(source, "DELETE FROM CI99_DESLINGUA WHERE CI99_CODLINGUA_MG52 = 'ENG' AND CI99_IDPROV = "
                 "(SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'ACQM')");
    QStringList after = where(findInconsistencies(source));
    for (const QString &known : before)
        after.removeOne(known);
    const QString found = after.join('\n');
    for (const char *expected : {
             "ACQM CI05_PROPSEZ 2 CI05_SEZIONALE_CG68",
             "ACQM CI06_RICERCACONTO 4 CI06_PROVIDER_CI07",
             "ACQM CI99_DESLINGUA 0 CI99_CODLINGUA_MG52",
             "CESE CI03_CAUSALI 0 CI03_CODCAUSCOLL",
             "CESE CI10_PROPCONTICAUS 1 CI10_VDS_PC03",
             "CESE CI10_PROPCONTICAUS 2 CI10_CONTO_PC03",
         })
        EXPECT_TRUE(after.contains(QLatin1String(expected))) << expected << "\nfound:\n"
                                                             << found.toStdString();
}

TEST_F(ConsistencyTest, JsonAndTextNameTheSameFindings)
{
    exec(source, "DELETE FROM CI07_PROVCONTO WHERE CI07_PROVIDER = 5");
    const QList<Finding> findings = findInconsistencies(source);
    const QJsonObject json =
        QJsonDocument::fromJson(causali::consistency::findingsJson(findings)).object();
    EXPECT_EQ(json.value("count").toInt(), findings.size());
    const QJsonArray list = json.value("findings").toArray();
    ASSERT_EQ(list.size(), findings.size());
    const QStringList lines = causali::consistency::findingsText(findings).split(
        '\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), findings.size() + 1);
    for (qsizetype i = 0; i < findings.size(); ++i) {
        EXPECT_EQ(list[i].toObject().value("code").toString(), findings[i].code);
        EXPECT_EQ(list[i].toObject().value("row").toInt(), findings[i].row);
        EXPECT_TRUE(lines[i].startsWith(findings[i].code + "  " + findings[i].list));
        EXPECT_TRUE(lines[i].endsWith(findings[i].reason));
    }
    EXPECT_EQ(lines.last(), QStringLiteral("%1 incoerenze trovate.").arg(findings.size()));
    EXPECT_EQ(causali::consistency::tabOf({"X", "CI06_RICERCACONTO", 1, "", ""}), 3);
    EXPECT_EQ(causali::consistency::tabOf({"X", "CI03_CAUSALI", 0, "", ""}), 0);
}

} // namespace
} // namespace toolstest
