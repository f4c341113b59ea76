#include "ado/module_sql_texts.h"

#include <QStringList>

namespace sqltexts {

QString lines(std::initializer_list<QString> parts)
{
    return QStringList(parts).join(QStringLiteral("\r\n"));
}

QString quoted(const QString &value)
{
    QString v = value;
    v.replace(u'\'', QStringLiteral("''"));
    return u'\'' + v + u'\'';
}

QString withCode(QString text, const QString &code)
{
    return text.replace(QStringLiteral("@CAUSALE"), quoted(code));
}

// ----- satellites -----

namespace {

QString languageColumns()
{
    return lines({"SELECT", "     CI99_CODLINGUA_MG52", "    , CI99_PROVID_FW4A", "    , CI99_IDPROV",
                  "    , CI99_DESCRIZIONE", "FROM", "    #CI99_DESLINGUA", "WHERE"});
}

QString journalColumns()
{
    return lines({"SELECT", "    CI05_CAUSALE_CI03", "    , CI05_DITTA_CG18", "    , CI05_SEZIONALE_CG68",
                  "    , DESCR_DITTA", "    , DESCR_SEZIONALE", "FROM", "    #SEZIONALI", "WHERE"});
}

QString searchColumns()
{
    return lines({"SELECT", "    CI06_CAUSALE_CI03", "    , CI06_INDSEGNO", "    , CI06_INDTIPORIGA",
                  "    , CI06_PROVIDER_CI07", "    , CI06_PROGRESSIVO", "FROM", "    #CI06_RICERCACONTO",
                  "WHERE"});
}

QString developmentColumns()
{
    return lines({"SELECT", "    CAUSALE", "    , PROG", "    , SEGNO", "    , PERCENTUALE", "    , PDC",
                  "    , CONTO", "    , PDCVDS", "    , VDS", "    , AVERE", "    , DARE", "FROM",
                  "    #SVILUPPO", "WHERE"});
}

} // namespace

QString showLanguage(const QString &language, const QString &idProv)
{
    return lines({languageColumns(), "       CI99_PROVID_FW4A = 903 ",
                  "  AND  CI99_CODLINGUA_MG52 = '" + language + "'", "  AND  CI99_IDPROV = " + idProv});
}

QString showJournals(const QString &code)
{
    return withCode(lines({journalColumns(), "    CI05_CAUSALE_CI03 = @CAUSALE",
                           " ORDER BY CI05_DITTA_CG18 ASC"}),
                    code);
}

QString showSearch(const QString &code, int sign)
{
    return withCode(lines({searchColumns(), "    CI06_CAUSALE_CI03 = @CAUSALE",
                           "    AND CI06_INDSEGNO = " + QString::number(sign), " ORDER BY",
                           "    CI06_PROGRESSIVO ASC"}),
                    code);
}

QString showDevelopment(const QString &code, const QString &chart, const QString &expenseChart)
{
    return withCode(lines({developmentColumns(), "    CAUSALE = @CAUSALE",
                           "  AND PDC = " + chart + "  AND PDCVDS = " + expenseChart
                               + "  ORDER BY PROG ASC "}),
                    code);
}

QString refreshDevelopment(const QString &code)
{
    return withCode(lines({developmentColumns(), "    CAUSALE = @CAUSALE"}), code);
}

QString showChecks(const QString &code)
{
    return lines({" SELECT", "   *", " FROM", "   CI11_CONTROLLOCONTI", " WHERE",
                  "   CI11_CODCAUS_CI03 = '" + code + "'", " ORDER BY", "   CI11_SEGNO"});
}

QString clearLanguage()
{
    return lines({languageColumns(), "    1 = 0"});
}

QString clearSearch()
{
    return lines({searchColumns(), "    1 = 0", " ORDER BY", "    CI06_PROGRESSIVO ASC"});
}

QString clearJournals()
{
    return lines({journalColumns(), "    1 = 0", " ORDER BY CI05_DITTA_CG18 ASC"});
}

QString clearDevelopment()
{
    return lines({developmentColumns(), "    1 = 0"});
}

QString clearChecks()
{
    return lines({" SELECT", "   *", " FROM", "   CI11_CONTROLLOCONTI", " WHERE", "   1 = 0"});
}

// ----- working tables -----

QString createLanguageTable()
{
    return lines({"CREATE TABLE #CI99_DESLINGUA", "(",
                  "CI99_CODLINGUA_MG52 CHAR(4) COLLATE DATABASE_DEFAULT NOT NULL",
                  ", CI99_PROVID_FW4A DECIMAL(4) NOT NULL", ", CI99_IDPROV DECIMAL(18, 0) NOT NULL",
                  ", CI99_DESCRIZIONE NVARCHAR(512) NOT NULL", ")"});
}

QString createJournalsTable()
{
    return lines({"CREATE TABLE #SEZIONALI", "(", "CI05_DITTA_CG18 DECIMAL(5) NOT NULL",
                  ", CI05_CAUSALE_CI03 NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL",
                  ", CI05_SEZIONALE_CG68 NCHAR(2) COLLATE DATABASE_DEFAULT NULL",
                  ", DESCR_DITTA NVARCHAR(60) COLLATE DATABASE_DEFAULT NULL",
                  ", DESCR_SEZIONALE NVARCHAR(40) COLLATE DATABASE_DEFAULT NULL", ")"});
}

QString createSearchTable()
{
    return lines({"CREATE TABLE #CI06_RICERCACONTO", "(",
                  "CI06_CAUSALE_CI03 NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL",
                  ", CI06_INDSEGNO TINYINT NOT NULL", ", CI06_INDTIPORIGA SMALLINT NOT NULL",
                  ", CI06_PROVIDER_CI07 SMALLINT NOT NULL", ", CI06_PROGRESSIVO TINYINT NOT NULL", ")"});
}

QString createDevelopmentTable()
{
    return lines({"CREATE TABLE #SVILUPPO", "(", "CAUSALE NCHAR(4) COLLATE DATABASE_DEFAULT NULL",
                  ", PROG SMALLINT NULL", ", SEGNO TINYINT NULL", ", PERCENTUALE DECIMAL(5, 2) NULL",
                  ", PDC DECIMAL(3) NULL", ", CONTO NCHAR(15) COLLATE DATABASE_DEFAULT NULL",
                  ", PDCVDS DECIMAL(3) NULL", ", VDS NCHAR(15) COLLATE DATABASE_DEFAULT NULL",
                  ", AVERE NCHAR(15) COLLATE DATABASE_DEFAULT NULL",
                  ", DARE NCHAR(15) COLLATE DATABASE_DEFAULT NULL", ")"});
}

QString fillJournals()
{
    return lines({"INSERT INTO #SEZIONALI", "    (", "    CI05_DITTA_CG18", "    , CI05_CAUSALE_CI03",
                  "    , CI05_SEZIONALE_CG68", "    , DESCR_DITTA", "    , DESCR_SEZIONALE", "    )",
                  "SELECT", "    CI05_DITTA_CG18", "    , CI05_CAUSALE_CI03", "    , CI05_SEZIONALE_CG68",
                  "    , CG16_RAGSOANAG", "    , CG68_DESCSEZ", "FROM", "    CI05_PROPSEZ",
                  "    INNER JOIN", "    CG18_ANADITTABASE", "    ON", "    CI05_DITTA_CG18 = CG18_DITTA",
                  "    INNER JOIN", "    CG16_ANAGGEN", "    ON", "    CG18_CODICE_CG16 = CG16_CODICE",
                  "    INNER JOIN", "    CG68_NUMERDESC", "    ON", "    CI05_DITTA_CG18 = CG68_DITTA_CG18",
                  "    AND CI05_SEZIONALE_CG68 = CG68_SEZIONALE"});
}

QString fillSearch()
{
    return lines({"INSERT INTO #CI06_RICERCACONTO", "    (", "    CI06_CAUSALE_CI03", "    , CI06_INDSEGNO",
                  "    , CI06_INDTIPORIGA", "    , CI06_PROVIDER_CI07", "    , CI06_PROGRESSIVO", "    )",
                  "SELECT", "    CI06_CAUSALE_CI03", "    , CI06_INDSEGNO", "    , CI06_INDTIPORIGA",
                  "    , CI06_PROVIDER_CI07", "    , CI06_PROGRESSIVO", "FROM", "    CI06_RICERCACONTO",
                  " ORDER BY", "    CI06_CAUSALE_CI03 ASC", "    , CI06_INDSEGNO ASC",
                  "    , CI06_INDTIPORIGA ASC", "    , CI06_PROGRESSIVO ASC"});
}

QString fillDevelopment()
{
    return lines({"INSERT INTO #SVILUPPO", "    (", "    CAUSALE", "    , PROG", "    , SEGNO",
                  "    , PERCENTUALE", "    , PDC", "    , CONTO", "    , PDCVDS", "    , VDS", "    , AVERE",
                  "    , DARE", "    )", "SELECT", "    CI10_CODCAUS_CI03", "    , CI10_PROG",
                  "    , CI10_INDSEGNO", "    , CI10_PERC", "    , CI10_PDCCONTO_PC01", "    , CI10_CONTO_PC03",
                  "    , ISNULL(CI10_PDCVDS_PC01, -1)", "    , CI10_VDS_PC03", "    , CASE CI10_INDSEGNO",
                  "    WHEN 2 THEN CI10_CONTO_PC03", "    ELSE NULL", "    END", "    , CASE CI10_INDSEGNO",
                  "    WHEN 1 THEN CI10_CONTO_PC03", "    ELSE NULL", "    END", "FROM",
                  "    CI10_PROPCONTICAUS", " ORDER BY", "    CI10_CODCAUS_CI03 ASC", "    , CI10_PROG ASC"});
}

QString fillLanguage(const QString &language)
{
    return lines({"INSERT INTO #CI99_DESLINGUA", "    (", "    CI99_CODLINGUA_MG52", "    , CI99_PROVID_FW4A",
                  "    , CI99_IDPROV", "    , CI99_DESCRIZIONE", "    )", "SELECT", "    CI99_CODLINGUA_MG52",
                  "    , CI99_PROVID_FW4A", "    , CI99_IDPROV", "    , CI99_DESCRIZIONE", "FROM",
                  "    CI99_DESLINGUA", "WHERE", "    CI99_PROVID_FW4A = 903",
                  "    AND CI99_CODLINGUA_MG52 = '" + language + "'"});
}

QString deleteWorkSearch(const QString &code)
{
    return withCode(lines({"DELETE #CI06_RICERCACONTO", "WHERE", "    CI06_CAUSALE_CI03 = @CAUSALE"}), code);
}

QString deleteWorkDevelopment(const QString &code)
{
    return withCode(lines({"DELETE #SVILUPPO", "WHERE", "    CAUSALE = @CAUSALE"}), code);
}

QString deleteWorkJournals(const QString &code)
{
    return withCode(lines({"DELETE #SEZIONALI", "WHERE", "    CI05_CAUSALE_CI03 = @CAUSALE"}), code);
}

QString deleteWorkLanguage(const QString &idProv)
{
    return lines({"DELETE #CI99_DESLINGUA ", " WHERE ", "    CI99_IDPROV =  " + idProv});
}

QString dropLanguageTable()
{
    return lines({"IF OBJECT_ID(N'tempdb..#CI99_DESLINGUA', N'U') IS NOT NULL", "   DROP TABLE #CI99_DESLINGUA "});
}

// ----- saving and deleting -----

QString cmdDeleteChecks()
{
    return lines({"DELETE CI11_CONTROLLOCONTI", "WHERE", "    CI11_CODCAUS_CI03 = ?"});
}

QString cmdDeleteSearch()
{
    return lines({"DELETE CI06_RICERCACONTO", "WHERE", "    CI06_CAUSALE_CI03 = ?"});
}

QString cmdDeleteJournals()
{
    return lines({"DELETE CI05_PROPSEZ", "WHERE", "    CI05_CAUSALE_CI03 = ?"});
}

QString cmdDeleteDevelopment()
{
    return lines({"DELETE CI10_PROPCONTICAUS", "WHERE", "    CI10_CODCAUS_CI03 = ?"});
}

QString s1(const QString &code)
{
    return withCode(lines({"DELETE CI06_RICERCACONTO", "WHERE", "    CI06_CAUSALE_CI03 = @CAUSALE"}), code);
}

QString s2(const QString &code)
{
    return withCode(lines({"INSERT INTO CI06_RICERCACONTO", "    (", "    CI06_CAUSALE_CI03", "    , CI06_INDSEGNO",
                           "    , CI06_INDTIPORIGA", "    , CI06_PROVIDER_CI07", "    , CI06_PROGRESSIVO", "    )",
                           "SELECT", "    CI06_CAUSALE_CI03", "    , CI06_INDSEGNO", "    , CI06_INDTIPORIGA",
                           "    , CI06_PROVIDER_CI07", "    , CI06_PROGRESSIVO", "FROM", "    #CI06_RICERCACONTO",
                           "WHERE", "    CI06_CAUSALE_CI03 = @CAUSALE", "ORDER BY", "    CI06_INDSEGNO ASC",
                           "    , CI06_INDTIPORIGA ASC", "    , CI06_PROGRESSIVO ASC"}),
                    code);
}

QString s3(const QString &code)
{
    return withCode(lines({"DELETE CI10_PROPCONTICAUS", "WHERE", "    CI10_CODCAUS_CI03 = @CAUSALE"}), code);
}

QString s4(const QString &code)
{
    return withCode(lines({"INSERT INTO CI10_PROPCONTICAUS", "    (", "    CI10_CODCAUS_CI03", "    , CI10_PROG",
                           "    , CI10_INDSEGNO", "    , CI10_PDCCONTO_PC01", "    , CI10_CONTO_PC03",
                           "    , CI10_PDCVDS_PC01", "    , CI10_VDS_PC03", "    , CI10_PERC", "    )", "SELECT",
                           "    CAUSALE", "    , PROG", "    , SEGNO", "    , PDC", "    , CONTO",
                           "    , CASE PDCVDS WHEN -1 THEN NULL ELSE PDCVDS END",
                           "    , CASE PDCVDS WHEN -1 THEN NULL ELSE VDS END", "    , PERCENTUALE", "FROM",
                           "    #SVILUPPO", "WHERE", "    CAUSALE = @CAUSALE", " ORDER BY", "    CAUSALE ASC",
                           "    , PROG ASC"}),
                    code);
}

QString s5(const QString &code)
{
    return withCode(lines({"DELETE CI05_PROPSEZ", "WHERE", "    CI05_CAUSALE_CI03 = @CAUSALE"}), code);
}

QString s6(const QString &code)
{
    return withCode(lines({"INSERT INTO CI05_PROPSEZ", "    (", "    CI05_DITTA_CG18", "    , CI05_CAUSALE_CI03",
                           "    , CI05_SEZIONALE_CG68", "    )", "SELECT", "    CI05_DITTA_CG18",
                           "    , CI05_CAUSALE_CI03", "    , CI05_SEZIONALE_CG68", "FROM", "    #SEZIONALI",
                           "WHERE", "    CI05_CAUSALE_CI03 = @CAUSALE", "ORDER BY", "    CI05_DITTA_CG18 ASC",
                           "    , CI05_SEZIONALE_CG68 ASC"}),
                    code);
}

QString s7(const QString &idProv, const QString &language, bool deleting)
{
    QString text = lines({"DELETE CI99_DESLINGUA", "WHERE", "      CI99_PROVID_FW4A = 903 ",
                          "  AND CI99_IDPROV = " + idProv});
    if (!deleting)
        text += "\r\n  AND CI99_CODLINGUA_MG52 = '" + language + "'";
    return text;
}

QString s8(const QString &idProv, const QString &language)
{
    return lines({"INSERT INTO CI99_DESLINGUA", "    (", "    CI99_CODLINGUA_MG52", "    , CI99_PROVID_FW4A",
                  "    , CI99_IDPROV", "    , CI99_DESCRIZIONE", "    )", "SELECT", "    CI99_CODLINGUA_MG52",
                  "    , CI99_PROVID_FW4A", "    , CI99_IDPROV", "    , CI99_DESCRIZIONE", "FROM",
                  "    #CI99_DESLINGUA", "WHERE", "      CI99_PROVID_FW4A = 903 ",
                  "  AND CI99_IDPROV = " + idProv, "  AND CI99_CODLINGUA_MG52 = '" + language + "'"});
}

QString s9(const QString &description, const QString &idProv)
{
    return lines({"UPDATE CI03_CAUSALI ", " SET CI03_DESCR  = " + quoted(description)
                                              + " WHERE CI03_IDPROV = " + idProv});
}

// ----- lookups and usage checks -----

QString cmdFieldDescription()
{
    return lines({"SELECT", "    CI48_DESCRIZIONE", "FROM", "    CI48_CAMPO", "WHERE", "    CI48_CAMPO = ?"});
}

QString cmdProviderDescription()
{
    return lines({"SELECT", "    CI07_DESCRIZIONE", "FROM", "    CI07_PROVCONTO", "WHERE",
                  "    CI07_PROVIDER = ?"});
}

QString cmdCompanyDescription()
{
    return lines({"SELECT", "    CG16_RAGSOANAG", "FROM", "    CG18_ANADITTABASE", "    INNER JOIN",
                  "    CG16_ANAGGEN", "    ON", "    CG18_CODICE_CG16 = CG16_CODICE", "WHERE",
                  "    CG18_DITTA = ?"});
}

QString journalDescription(const QString &journal, int company)
{
    QString text = QStringLiteral("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC(<CODICE>, <DITTA> )");
    text.replace(QStringLiteral("<CODICE>"), quoted(journal));
    text.replace(QStringLiteral("<DITTA>"), QString::number(company));
    return text;
}

QString chartDescription(const QString &chart)
{
    return " SELECT  PC01_DESCR                  \r\n FROM    PC01_DESCRPDC WITH(NOLOCK)  \r\n"
           " WHERE   PC01_CODICE = "
        + chart + "\r\n";
}

QString lastProgressive(const QString &code)
{
    return " SELECT   TOP 1 (CI10_PROG)                  \r\n"
           " FROM     CI10_PROPCONTICAUS  WITH (NOLOCK)  \r\n"
           " WHERE    CI10_CODCAUS_CI03 = "
        + quoted(code) + "\r\n ORDER BY CI10_PROG DESC                     ";
}

QString usedByStock(const QString &code)
{
    return lines({" SELECT", "   COUNT(*)    AS NUMERODOCCOLLEGATI", " FROM  ", "   MG36_DOCUMENTI", " WHERE",
                  "   MG36_CAUSALEKOVA_CI03 = " + quoted(code)});
}

QString usedByCompanyStock(const QString &code)
{
    return lines({" SELECT", "   COUNT(*)    AS NUMERODOCCOLLEGATI", " FROM  ", "   MG3G_DOCDITTA", " WHERE",
                  "   MG3G_CAUSALEKOVA_CI03 = " + quoted(code)});
}

QString usedByProduction(const QString &code)
{
    static const char *const tables[][2] = {
        {"PD04_QUALIFICHE", "PD04_CODCAUS_CI03"}, {"PD06_DIPENDENTI", "PD06_CODCAUS_CI03"},
        {"PD07_REPARTO", "PD07_CODCAUS_CI03"},    {"PD08_MACCHINA", "PD08_CODCAUS_CI03"},
        {"PD12_FASILAVORO", "PD12_CODCAUS_CI03"}, {"PD25_COMMESSA", "PD25_CODCAUS_CI03"},
        {"PD26_ATTREZZI", "PD26_CODCAUS_CI03"},   {"PD56_ANAGKIT", "PD56_CODCAUS_CI03"},
        {"PD68_PROGETTI", "PD68_CODCAUS_CI03"},   {"PD69_SOTTOPROGETTI", "PD69_CODCAUS_CI03"},
    };
    QStringList parts;
    for (const auto &t : tables) {
        const QString column = QString::fromLatin1(t[1]);
        parts << " SELECT DISTINCT " + column + " FROM " + QString::fromLatin1(t[0]) + " WHERE " + column
                + " = " + quoted(code);
    }
    return parts.join(QStringLiteral(" UNION"));
}

QString usedByReallocation(const QString &code)
{
    return lines({" SELECT", "   COUNT(*) AS NUMERORIBCOLLEGATI", " FROM", "   CI50_ANAGRIB", " WHERE",
                  "   CI50_CAUSALE_CI03 = " + quoted(code)});
}

// ----- language frame, header, linked codes -----

QString languageFrameSelect(const QString &language)
{
    return lines({"SELECT  CI99_CODLINGUA_MG52, ", "        CI99_PROVID_FW4A, ", "        CI99_IDPROV, ",
                  "        CI99_DESCRIZIONE ", "        FROM #CI99_DESLINGUA ",
                  "  WHERE CI99_PROVID_FW4A = 903 ", "    AND CI99_CODLINGUA_MG52 = '" + language + "'"});
}

QString headerSelect()
{
    return lines({"SELECT", "      CI03_CODCAUS", "    , CI03_DESCR", "    , CI03_INDTIPOCOSRIC",
                  "    , CI03_INDTIPOMOVDATI", "    , CI03_INDPROPCOSTO", "    , CI03_INDPROVCOSTO",
                  "    , CI03_INDSTAPER_CI04", "    , CI03_MODELLO_CI04", "    , CI03_CODCAUSCOLL",
                  "    , CI03_CAUSCOLLRIF_CI03", "    , CI03_INDREGVALQTA", "    , CI03_FLGNUMAUTOM",
                  "    , CI03_FLGRILPROG", "    , CI03_IDPROV", "FROM", "    CI03_CAUSALI WITH (NOLOCK) "})
        + "\r\n";
}

namespace {

QString maskArguments(const QString &first, const Flags &flags, int from)
{
    QString text = "        " + first;
    for (size_t i = size_t(from); i < flags.size(); ++i)
        text += "\r\n        , " + QString::number(flags[i]);
    return text;
}

} // namespace

QString maskSelect(const Flags &flags)
{
    return lines({"SELECT", "    DBO.FNCI_CONCAUS_GETCONFIGMASK(",
                  maskArguments(QString::number(flags[0]), flags, 1), "    )"});
}

QString maskSelectReference(const QString &movement, const Flags &flags)
{
    return lines({"SELECT", "    DBO.FNCI_CONCAUSRIF_GETCONFIGMASK(", maskArguments(movement, flags, 0), "    )"});
}

QString candidateCondition(const QString &model, int modelType, const QString &code, long mask, bool reference)
{
    const QString compatible = reference ? QStringLiteral("DBO.FNCI_CONCAUSRIF_COMPATIBILE(")
                                         : QStringLiteral("DBO.FNCI_CONCAUS_COMPATIBILE(");
    return lines({" WHERE", "   NOT EXISTS(", "       SELECT", "           CO_COLLEGATA.FW28_FIELDNAME",
                  "       FROM", "           (", "               SELECT DISTINCT",
                  "                   FW28_DESIGNCAMPI.FW28_FIELDNAME", "               FROM",
                  "                   CI03_CAUSALI AS CAUSALE", "                   INNER JOIN",
                  "                   FW28_DESIGNCAMPI", "                   ON",
                  "                   CAUSALE.CI03_MODELLO_CI04 = FW28_DESIGNCAMPI.FW28_MODELLO_FW25",
                  "                   AND CAUSALE.CI03_INDSTAPER_CI04 = FW28_DESIGNCAMPI.FW28_INDSTAPER_FW25",
                  "               WHERE", "                   CAUSALE.CI03_CODCAUS = CI03_CAUSALI.CI03_CODCAUS",
                  "                   AND FW28_INDMODULO_FW25 = 2", "                   AND FW28_FLGVISIBILE = 1",
                  "                   AND FW28_FLGABILITATO = 1", "                   AND FW28_OBBLIGATORIO = 1",
                  "           ) AS CO_COLLEGATA", "           LEFT OUTER JOIN", "           (",
                  "               SELECT DISTINCT", "                   FW28_DESIGNCAMPI.FW28_FIELDNAME",
                  "               FROM", "                   FW28_DESIGNCAMPI", "               WHERE",
                  "                   FW28_INDMODULO_FW25 = 2",
                  "                   AND FW28_DESIGNCAMPI.FW28_MODELLO_FW25 = " + quoted(model),
                  "                   AND FW28_DESIGNCAMPI.FW28_INDSTAPER_FW25 = " + QString::number(modelType),
                  "                   AND FW28_FLGVISIBILE = 1", "                   AND FW28_FLGABILITATO = 1",
                  "                   AND FW28_OBBLIGATORIO = 1", "           ) AS CO_PRINCIPALE", "           ON",
                  "           CO_COLLEGATA.FW28_FIELDNAME = CO_PRINCIPALE.FW28_FIELDNAME", "       WHERE",
                  "           CO_PRINCIPALE.FW28_FIELDNAME IS NULL", "   )",
                  "   AND CI03_CAUSALI.CI03_CODCAUS <> " + quoted(code),
                  "   AND " + compatible + QString::number(mask) + ", CI03_CODCAUS) = 1"})
        + "\r\n";
}

namespace {

QString linkedFrom(const QString &language, bool reference)
{
    return lines({" FROM", reference ? "   CI03_CAUSALI WITH (NOLOCK)" : "   CI03_CAUSALI WITH (NOLOCK) ",
                  " LEFT OUTER JOIN CI99_DESLINGUA WITH (NOLOCK) ", "   ON CI99_PROVID_FW4A = 903 ",
                  "  AND CI99_CODLINGUA_MG52 = '" + language + "' ", "  AND CI99_IDPROV = CI03_IDPROV "})
        + "\r\n";
}

QString yesNo(const QString &column)
{
    return lines({"   CASE " + column, "       WHEN 0 THEN 'No'", "       WHEN 1 THEN 'Sì'", "   END AS " + column});
}

} // namespace

QString linkedDecode(const QString &language, const QString &model, int modelType, const QString &code,
                     long mask, const QString &linkedCode, bool reference)
{
    return lines({" SELECT", "   CI99_DESCRIZIONE AS CI03_DESCR"}) + "\r\n" + linkedFrom(language, reference)
        + candidateCondition(model, modelType, code, mask, reference)
        + "   AND CI03_CAUSALI.CI03_CODCAUS = " + quoted(linkedCode);
}

QString linkedLookup(const QString &language, const QString &model, int modelType, const QString &code,
                     long mask, bool reference)
{
    const QString columns = lines({
        " SELECT", "   CI03_CODCAUS", "   , CI99_DESCRIZIONE AS CI03_DESCR", "   ,", "   CASE CI03_INDTIPOCOSRIC",
        "       WHEN 0 THEN 'Costo'", "       WHEN 1 THEN 'Ricavo'", "   END AS CI03_INDTIPOCOSRIC", "   ,",
        "   CASE CI03_INDPROPCOSTO", "       WHEN 0 THEN 'Nessuno'", "       WHEN 1 THEN 'Costo std anagrafico'",
        "   END AS CI03_INDPROPCOSTO", "   ,", "   CASE CI03_INDPROVCOSTO", "       WHEN 0 THEN 'Da conto'",
        "       WHEN 1 THEN 'Da voce di spesa o di ricavo'", "       WHEN 2 THEN 'Nessuna'",
        "   END AS CI03_INDPROVCOSTO", "   ,", "   CASE CI03_INDTIPOMOVDATI", "       WHEN 0 THEN 'Standard'",
        "       WHEN 1 THEN 'Magazzino'", "       WHEN 2 THEN 'Manodopera'",
        "       WHEN 3 THEN 'Ripartizione costi indiretti'", "   END AS CI03_INDTIPOMOVDATI",
        "   , CI03_CODCAUSCOLL", "   , CI03_MODELLO_CI04", "   ,", "   CASE CI03_INDSTAPER_CI04",
        "       WHEN 0 THEN 'Standard'", "       WHEN 1 THEN 'Personalizzato'", "   END AS CI03_INDSTAPER_CI04",
        "   ,", yesNo("CI03_FLGCOSTOMANOD"), "   ,", yesNo("CI03_FLGNUMAUTOM"), "   ,",
        yesNo("CI03_FLGAUTOMATICO")});
    return columns + "\r\n" + linkedFrom(language, reference)
        + candidateCondition(model, modelType, code, mask, reference) + lines({" ORDER BY", "   CI03_CODCAUS"});
}

// ----- satellite editors' configuration -----

QString companyList()
{
    return lines({"SELECT", "    CG18_DITTA          AS CODICE", "    , CG16_RAGSOANAG    AS RAGIONESOCIALE",
                  "FROM", "    CG18_ANADITTABASE", "    INNER JOIN", "    CG25_ANADITTAGEST", "    ON",
                  "    CG18_DITTA = CG25_DITTA_CG18", "    INNER JOIN", "    CG16_ANAGGEN", "    ON",
                  "    CG18_CODICE_CG16 = CG16_CODICE", "WHERE", "    CG25_FLGCONIND = 1"});
}

QString journalsConfig()
{
    return clearJournals();
}

QString searchConfig()
{
    return lines({"SELECT", "    CI06_CAUSALE_CI03", "    , CI06_INDSEGNO", "    , CI06_INDTIPORIGA",
                  "    , CI06_PROVIDER_CI07", "    , '' AS CI06_PROVIDER_CI07_DESC", "    , CI06_PROGRESSIVO",
                  "FROM", "    #CI06_RICERCACONTO", "WHERE", "    1 = 0", " ORDER BY", "    CI06_PROGRESSIVO ASC"});
}

QString developmentConfig()
{
    return clearDevelopment();
}

std::vector<std::pair<QString, QString>> all()
{
    const Flags flags = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1};
    return {
        {"showLanguage", showLanguage("ITA", "12")},
        {"showJournals", showJournals("VEN")},
        {"showSearch1", showSearch("VEN", 1)},
        {"showSearch2", showSearch("VEN", 2)},
        {"showDevelopment", showDevelopment("VEN", "1", "-1")},
        {"refreshDevelopment", refreshDevelopment("VEN")},
        {"showChecks", showChecks("VEN")},
        {"clearLanguage", clearLanguage()},
        {"clearSearch", clearSearch()},
        {"clearJournals", clearJournals()},
        {"clearDevelopment", clearDevelopment()},
        {"clearChecks", clearChecks()},
        {"createLanguageTable", createLanguageTable()},
        {"createJournalsTable", createJournalsTable()},
        {"createSearchTable", createSearchTable()},
        {"createDevelopmentTable", createDevelopmentTable()},
        {"fillJournals", fillJournals()},
        {"fillSearch", fillSearch()},
        {"fillDevelopment", fillDevelopment()},
        {"fillLanguage", fillLanguage("ITA")},
        {"deleteWorkSearch", deleteWorkSearch("VEN")},
        {"deleteWorkDevelopment", deleteWorkDevelopment("VEN")},
        {"deleteWorkJournals", deleteWorkJournals("VEN")},
        {"deleteWorkLanguage", deleteWorkLanguage("12")},
        {"dropLanguageTable", dropLanguageTable()},
        {"cmdDeleteChecks", cmdDeleteChecks()},
        {"cmdDeleteSearch", cmdDeleteSearch()},
        {"cmdDeleteJournals", cmdDeleteJournals()},
        {"cmdDeleteDevelopment", cmdDeleteDevelopment()},
        {"s1", s1("VEN")},
        {"s2", s2("VEN")},
        {"s3", s3("VEN")},
        {"s4", s4("VEN")},
        {"s5", s5("VEN")},
        {"s6", s6("VEN")},
        {"s7", s7("12", "ITA", false)},
        {"s7deleting", s7("12", "ITA", true)},
        {"s8", s8("12", "ITA")},
        {"s9", s9("L'ufficio -- WITH (NOLOCK) #X", "12")},
        {"cmdFieldDescription", cmdFieldDescription()},
        {"cmdProviderDescription", cmdProviderDescription()},
        {"cmdCompanyDescription", cmdCompanyDescription()},
        {"journalDescription", journalDescription("AB", 1)},
        {"chartDescription", chartDescription("1")},
        {"lastProgressive", lastProgressive("VEN")},
        {"usedByStock", usedByStock("VEN")},
        {"usedByCompanyStock", usedByCompanyStock("VEN")},
        {"usedByProduction", usedByProduction("VEN")},
        {"usedByReallocation", usedByReallocation("VEN")},
        {"languageFrameSelect", languageFrameSelect("ITA")},
        {"headerSelect", headerSelect()},
        {"maskSelect", maskSelect(flags)},
        {"maskSelectReference", maskSelectReference("1", flags)},
        {"linkedDecode", linkedDecode("ITA", "MOD1", 0, "VEN", 5, "ACQ", false)},
        {"linkedDecodeReference", linkedDecode("ITA", "MOD1", 0, "VEN", 5, "ACQ", true)},
        {"linkedLookup", linkedLookup("ITA", "MOD1", 0, "VEN", 5, false)},
        {"linkedLookupReference", linkedLookup("ITA", "MOD1", 1, "VEN", 5, true)},
        {"companyList", companyList()},
        {"journalsConfig", journalsConfig()},
        {"searchConfig", searchConfig()},
        {"developmentConfig", developmentConfig()},
    };
}

} // namespace sqltexts
