#include "tools_fixture.h"

#include "editor/frmci_causali.h"
#include "tools/tools_menu.h"

namespace toolstest {

namespace {

// Table, columns read (everything but the code), and the code's column.
struct StoredTable
{
    const char *table;
    const char *columns;
    const char *codeColumn;
};

constexpr StoredTable Tables[] = {
    {"CI03_CAUSALI",
     "CI03_DESCR, CI03_INDTIPOCOSRIC, CI03_INDTIPOMOVDATI, CI03_INDPROPCOSTO, "
     "CI03_INDPROVCOSTO, CI03_INDSTAPER_CI04, CI03_MODELLO_CI04, CI03_CODCAUSCOLL, "
     "CI03_CAUSCOLLRIF_CI03, CI03_INDREGVALQTA, CI03_FLGNUMAUTOM, CI03_FLGRILPROG",
     "CI03_CODCAUS"},
    {"CI11_CONTROLLOCONTI", "*", "CI11_CODCAUS_CI03"},
    {"CI05_PROPSEZ", "CI05_DITTA_CG18, CI05_SEZIONALE_CG68", "CI05_CAUSALE_CI03"},
    {"CI06_RICERCACONTO", "CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROVIDER_CI07, CI06_PROGRESSIVO",
     "CI06_CAUSALE_CI03"},
    {"CI10_PROPCONTICAUS",
     "CI10_PROG, CI10_INDSEGNO, CI10_PERC, CI10_PDCCONTO_PC01, CI10_CONTO_PC03, "
     "CI10_PDCVDS_PC01, CI10_VDS_PC03",
     "CI10_CODCAUS_CI03"},
};

} // namespace

void ToolsTest::SetUp()
{
    HeaderTest::SetUp();
    if (window)
        tools::installTools(*window);
}

QMap<QString, Rows> ToolsTest::storedData(const QString &code) const
{
    QMap<QString, Rows> data;
    for (const StoredTable &t : Tables) {
        Rows found = rows(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = '%4' ORDER BY 1, 2")
                              .arg(QLatin1String(t.columns), QLatin1String(t.table),
                                   QLatin1String(t.codeColumn), code));
        if (QLatin1String(t.columns) == QLatin1String("*")) {
            for (QStringList &row : found)
                row.removeFirst(); // the code
        }
        data.insert(QLatin1String(t.table), found);
    }
    data.insert(QStringLiteral("CI99_DESLINGUA"),
                rows(QStringLiteral("SELECT CI99_CODLINGUA_MG52, CI99_DESCRIZIONE"
                                    " FROM CI99_DESLINGUA JOIN CI03_CAUSALI"
                                    " ON CI99_IDPROV = CI03_IDPROV AND CI99_PROVID_FW4A = 903"
                                    " WHERE CI03_CODCAUS = '%1' ORDER BY 1")
                         .arg(code)));
    return data;
}

long long ToolsTest::storedRowCount(const QString &code) const
{
    long long count = 0;
    for (const Rows &table : storedData(code))
        count += table.size();
    return count;
}

} // namespace toolstest
