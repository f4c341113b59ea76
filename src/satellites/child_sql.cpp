#include "satellites/child_sql.h"

#include "data/sql_text.h"
#include "satellites/search_sequence_page.h"

#include <QStringList>

namespace causali::childsql {

namespace {

QStringList languageHead()
{
    return {QStringLiteral("SELECT"),
            QStringLiteral("     CI99_CODLINGUA_MG52"),
            QStringLiteral("    , CI99_PROVID_FW4A"),
            QStringLiteral("    , CI99_IDPROV"),
            QStringLiteral("    , CI99_DESCRIZIONE"),
            QStringLiteral("FROM"),
            QStringLiteral("    #CI99_DESLINGUA"),
            QStringLiteral("WHERE")};
}

QStringList journalsHead()
{
    return {QStringLiteral("SELECT"),
            QStringLiteral("    CI05_CAUSALE_CI03"),
            QStringLiteral("    , CI05_DITTA_CG18"),
            QStringLiteral("    , CI05_SEZIONALE_CG68"),
            QStringLiteral("    , DESCR_DITTA"),
            QStringLiteral("    , DESCR_SEZIONALE"),
            QStringLiteral("FROM"),
            QStringLiteral("    #SEZIONALI"),
            QStringLiteral("WHERE")};
}

QStringList developmentHead()
{
    return {QStringLiteral("SELECT"),
            QStringLiteral("    CAUSALE"),
            QStringLiteral("    , PROG"),
            QStringLiteral("    , SEGNO"),
            QStringLiteral("    , PERCENTUALE"),
            QStringLiteral("    , PDC"),
            QStringLiteral("    , CONTO"),
            QStringLiteral("    , PDCVDS"),
            QStringLiteral("    , VDS"),
            QStringLiteral("    , AVERE"),
            QStringLiteral("    , DARE"),
            QStringLiteral("FROM"),
            QStringLiteral("    #SVILUPPO"),
            QStringLiteral("WHERE")};
}

QStringList checksHead()
{
    return {QStringLiteral(" SELECT"), QStringLiteral("   *"), QStringLiteral(" FROM"),
            QStringLiteral("   CI11_CONTROLLOCONTI"), QStringLiteral(" WHERE")};
}

const QString JournalsOrder = QStringLiteral(" ORDER BY CI05_DITTA_CG18 ASC");
const QString NoRows = QStringLiteral("    1 = 0");

} // namespace

QString languageText(const QString &codLingua, const QVariant &idProv)
{
    return sql::lines(languageHead()
                      << QStringLiteral("       CI99_PROVID_FW4A = 903 ")
                      << QStringLiteral("  AND  CI99_CODLINGUA_MG52 = ") + sql::quoted(codLingua)
                      << QStringLiteral("  AND  CI99_IDPROV = ")
                             + sql::number(idProv, QStringLiteral("CI03_IDPROV")));
}

QString journalsTemplate()
{
    return sql::lines(journalsHead()
                      << QStringLiteral("    CI05_CAUSALE_CI03 = @CAUSALE") << JournalsOrder);
}

QString searchSequenceTemplate(int side)
{
    return SearchSequencePage::selectText({QStringLiteral("    CI06_CAUSALE_CI03 = @CAUSALE"),
                                           QStringLiteral("    AND CI06_INDSEGNO = %1").arg(side)});
}

QString developmentTemplate()
{
    return sql::lines(developmentHead() << QStringLiteral("    CAUSALE = @CAUSALE"));
}

QString journalsText(const QString &code)
{
    return sql::withCausale(journalsTemplate(), code);
}

QString searchSequenceText(const QString &code, int side)
{
    return sql::withCausale(searchSequenceTemplate(side), code);
}

QString developmentText(const QString &code, const QVariant &chart, const QVariant &vdsChart)
{
    const QString charts = QStringLiteral("  AND PDC = ")
                           + sql::number(chart, QStringLiteral("piano dei conti"))
                           + QStringLiteral("  AND PDCVDS = ")
                           + sql::number(vdsChart, QStringLiteral("piano dei conti per V.d.s."))
                           + QStringLiteral("  ORDER BY PROG ASC ");
    return sql::withCausale(developmentTemplate() + sql::crlf + charts, code);
}

QString developmentSourceText(const QString &code)
{
    return sql::withCausale(developmentTemplate(), code);
}

QString checksText(const QString &code)
{
    return sql::lines(checksHead()
                      << QStringLiteral("   CI11_CODCAUS_CI03 = ") + sql::quoted(code)
                      << QStringLiteral(" ORDER BY") << QStringLiteral("   CI11_SEGNO"));
}

QString emptyLanguageText()
{
    return sql::lines(languageHead() << NoRows);
}

QString emptySearchSequenceText()
{
    return SearchSequencePage::selectText({NoRows});
}

QString emptyJournalsText()
{
    return sql::lines(journalsHead() << NoRows << JournalsOrder);
}

QString emptyDevelopmentText()
{
    return sql::lines(developmentHead() << NoRows);
}

QString emptyChecksText()
{
    return sql::lines(checksHead() << QStringLiteral("   1 = 0"));
}

} // namespace causali::childsql
