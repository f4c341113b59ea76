#include "data/working_tables.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "data/sql_text.h"
#include "data/window_state.h"

namespace causali {

namespace {

QString createText(const QString &table, const QStringList &columns)
{
    QStringList parts{QStringLiteral("CREATE TABLE ") + table, QStringLiteral("(")};
    parts << sql::columnLines(columns) << QStringLiteral(")");
    return sql::lines(parts);
}

const QStringList kSezionaliColumns{
    QStringLiteral("CI05_DITTA_CG18"), QStringLiteral("CI05_CAUSALE_CI03"),
    QStringLiteral("CI05_SEZIONALE_CG68"), QStringLiteral("DESCR_DITTA"),
    QStringLiteral("DESCR_SEZIONALE")};

const QStringList kRicColumns{
    QStringLiteral("CI06_CAUSALE_CI03"), QStringLiteral("CI06_INDSEGNO"),
    QStringLiteral("CI06_INDTIPORIGA"), QStringLiteral("CI06_PROVIDER_CI07"),
    QStringLiteral("CI06_PROGRESSIVO")};

const QStringList kSviluppoColumns{
    QStringLiteral("CAUSALE"), QStringLiteral("PROG"),   QStringLiteral("SEGNO"),
    QStringLiteral("PERCENTUALE"), QStringLiteral("PDC"), QStringLiteral("CONTO"),
    QStringLiteral("PDCVDS"), QStringLiteral("VDS"),     QStringLiteral("AVERE"),
    QStringLiteral("DARE")};

const QStringList kLinguaColumns{
    QStringLiteral("CI99_CODLINGUA_MG52"), QStringLiteral("CI99_PROVID_FW4A"),
    QStringLiteral("CI99_IDPROV"), QStringLiteral("CI99_DESCRIZIONE")};

} // namespace

WorkingTables::WorkingTables(WindowState &state) : m_state(state) {}

WorkingTables::~WorkingTables() = default;

QString WorkingTables::createSezionaliText()
{
    return createText(QStringLiteral("#SEZIONALI"), {
        QStringLiteral("CI05_DITTA_CG18 DECIMAL(5) NOT NULL"),
        QStringLiteral("CI05_CAUSALE_CI03 NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL"),
        QStringLiteral("CI05_SEZIONALE_CG68 NCHAR(2) COLLATE DATABASE_DEFAULT NULL"),
        QStringLiteral("DESCR_DITTA NVARCHAR(60) COLLATE DATABASE_DEFAULT NULL"),
        QStringLiteral("DESCR_SEZIONALE NVARCHAR(40) COLLATE DATABASE_DEFAULT NULL"),
    });
}

QString WorkingTables::createRicText()
{
    return createText(QStringLiteral("#CI06_RICERCACONTO"), {
        QStringLiteral("CI06_CAUSALE_CI03 NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL"),
        QStringLiteral("CI06_INDSEGNO TINYINT NOT NULL"),
        QStringLiteral("CI06_INDTIPORIGA SMALLINT NOT NULL"),
        QStringLiteral("CI06_PROVIDER_CI07 SMALLINT NOT NULL"),
        QStringLiteral("CI06_PROGRESSIVO TINYINT NOT NULL"),
    });
}

QString WorkingTables::createSviluppoText()
{
    return createText(QStringLiteral("#SVILUPPO"), {
        QStringLiteral("CAUSALE NCHAR(4) COLLATE DATABASE_DEFAULT NULL"),
        QStringLiteral("PROG SMALLINT NULL"),
        QStringLiteral("SEGNO TINYINT NULL"),
        QStringLiteral("PERCENTUALE DECIMAL(5, 2) NULL"),
        QStringLiteral("PDC DECIMAL(3) NULL"),
        QStringLiteral("CONTO NCHAR(15) COLLATE DATABASE_DEFAULT NULL"),
        QStringLiteral("PDCVDS DECIMAL(3) NULL"),
        QStringLiteral("VDS NCHAR(15) COLLATE DATABASE_DEFAULT NULL"),
        QStringLiteral("AVERE NCHAR(15) COLLATE DATABASE_DEFAULT NULL"),
        QStringLiteral("DARE NCHAR(15) COLLATE DATABASE_DEFAULT NULL"),
    });
}

QString WorkingTables::createCausaliLinguaText()
{
    return createText(QStringLiteral("#CI99_DESLINGUA"), {
        QStringLiteral("CI99_CODLINGUA_MG52 CHAR(4) COLLATE DATABASE_DEFAULT NOT NULL"),
        QStringLiteral("CI99_PROVID_FW4A DECIMAL(4) NOT NULL"),
        QStringLiteral("CI99_IDPROV DECIMAL(18, 0) NOT NULL"),
        QStringLiteral("CI99_DESCRIZIONE NVARCHAR(512) NOT NULL"),
    });
}

QString WorkingTables::fillSezionaliText()
{
    QStringList parts = sql::insertSelect(
        QStringLiteral("#SEZIONALI"), kSezionaliColumns,
        {QStringLiteral("CI05_DITTA_CG18"), QStringLiteral("CI05_CAUSALE_CI03"),
         QStringLiteral("CI05_SEZIONALE_CG68"), QStringLiteral("CG16_RAGSOANAG"),
         QStringLiteral("CG68_DESCSEZ")});
    parts << QStringLiteral("FROM") << QStringLiteral("    CI05_PROPSEZ")
          << QStringLiteral("    INNER JOIN") << QStringLiteral("    CG18_ANADITTABASE")
          << QStringLiteral("    ON") << QStringLiteral("    CI05_DITTA_CG18 = CG18_DITTA")
          << QStringLiteral("    INNER JOIN") << QStringLiteral("    CG16_ANAGGEN")
          << QStringLiteral("    ON") << QStringLiteral("    CG18_CODICE_CG16 = CG16_CODICE")
          << QStringLiteral("    INNER JOIN") << QStringLiteral("    CG68_NUMERDESC")
          << QStringLiteral("    ON") << QStringLiteral("    CI05_DITTA_CG18 = CG68_DITTA_CG18")
          << QStringLiteral("    AND CI05_SEZIONALE_CG68 = CG68_SEZIONALE");
    return sql::lines(parts);
}

QString WorkingTables::fillRicText()
{
    QStringList parts = sql::insertSelect(QStringLiteral("#CI06_RICERCACONTO"), kRicColumns,
                                     kRicColumns);
    parts << QStringLiteral("FROM") << QStringLiteral("    CI06_RICERCACONTO")
          << QStringLiteral(" ORDER BY") << QStringLiteral("    CI06_CAUSALE_CI03 ASC")
          << QStringLiteral("    , CI06_INDSEGNO ASC")
          << QStringLiteral("    , CI06_INDTIPORIGA ASC")
          << QStringLiteral("    , CI06_PROGRESSIVO ASC");
    return sql::lines(parts);
}

QString WorkingTables::fillSviluppoText()
{
    QStringList parts{QStringLiteral("INSERT INTO #SVILUPPO"), QStringLiteral("(")};
    parts << sql::columnLines(kSviluppoColumns) << QStringLiteral(")");
    parts << QStringLiteral("SELECT") << QStringLiteral("    CI10_CODCAUS_CI03")
          << QStringLiteral("    , CI10_PROG") << QStringLiteral("    , CI10_INDSEGNO")
          << QStringLiteral("    , CI10_PERC") << QStringLiteral("    , CI10_PDCCONTO_PC01")
          << QStringLiteral("    , CI10_CONTO_PC03")
          << QStringLiteral("    , ISNULL(CI10_PDCVDS_PC01, -1)")
          << QStringLiteral("    , CI10_VDS_PC03")
          << QStringLiteral("    , CASE CI10_INDSEGNO")
          << QStringLiteral("WHEN 2 THEN CI10_CONTO_PC03")
          << QStringLiteral("ELSE NULL")
          << QStringLiteral("END")
          << QStringLiteral("    , CASE CI10_INDSEGNO")
          << QStringLiteral("WHEN 1 THEN CI10_CONTO_PC03")
          << QStringLiteral("ELSE NULL")
          << QStringLiteral("END")
          << QStringLiteral("FROM") << QStringLiteral("    CI10_PROPCONTICAUS")
          << QStringLiteral("ORDER BY") << QStringLiteral("    CI10_CODCAUS_CI03 ASC")
          << QStringLiteral("    , CI10_PROG ASC");
    return sql::lines(parts);
}

QString WorkingTables::fillCausaliLinguaText(const QString &codLingua)
{
    QStringList parts = sql::insertSelect(QStringLiteral("#CI99_DESLINGUA"), kLinguaColumns,
                                     kLinguaColumns);
    parts << QStringLiteral("FROM") << QStringLiteral("    CI99_DESLINGUA")
          << QStringLiteral("WHERE") << QStringLiteral("    CI99_PROVID_FW4A = 903")
          << QStringLiteral("    AND CI99_CODLINGUA_MG52 = ") + sql::quoted(codLingua);
    return sql::lines(parts);
}

QString WorkingTables::dropCausaliLinguaText()
{
    return sql::lines({QStringLiteral("IF OBJECT_ID(N'tempdb..#CI99_DESLINGUA', N'U') IS NOT NULL"),
                       QStringLiteral("   DROP TABLE #CI99_DESLINGUA ")});
}

QString WorkingTables::deleteRicRowsText(const QString &code)
{
    return sql::withCausale(sql::lines({QStringLiteral("DELETE #CI06_RICERCACONTO"),
                                        QStringLiteral("WHERE"),
                                        QStringLiteral("    CI06_CAUSALE_CI03 = @CAUSALE")}),
                            code);
}

QString WorkingTables::deleteSviluppoRowsText(const QString &code)
{
    return sql::withCausale(sql::lines({QStringLiteral("DELETE #SVILUPPO"),
                                        QStringLiteral("WHERE"),
                                        QStringLiteral("    CAUSALE = @CAUSALE")}),
                            code);
}

QString WorkingTables::deleteSezionaliRowsText(const QString &code)
{
    return sql::withCausale(sql::lines({QStringLiteral("DELETE #SEZIONALI"),
                                        QStringLiteral("WHERE"),
                                        QStringLiteral("    CI05_CAUSALE_CI03 = @CAUSALE")}),
                            code);
}

QString WorkingTables::deleteCausaliLinguaRowsText(const QVariant &idProv)
{
    return sql::lines({QStringLiteral("DELETE #CI99_DESLINGUA "), QStringLiteral(" WHERE "),
                       QStringLiteral("    CI99_IDPROV =  ")
                           + sql::number(idProv, QStringLiteral("CI03_IDPROV"))});
}

namespace {

QString indexText(const QString &table, const QString &columns)
{
    return QStringLiteral("CREATE INDEX IX_%1 ON %2 (%3)").arg(table.mid(1), table, columns);
}

} // namespace

QString WorkingTables::indexSezionaliText()
{
    return indexText(QStringLiteral("#SEZIONALI"), QStringLiteral("CI05_CAUSALE_CI03"));
}

QString WorkingTables::indexRicText()
{
    return indexText(QStringLiteral("#CI06_RICERCACONTO"),
                     QStringLiteral("CI06_CAUSALE_CI03, CI06_INDSEGNO"));
}

QString WorkingTables::indexSviluppoText()
{
    return indexText(QStringLiteral("#SVILUPPO"), QStringLiteral("CAUSALE"));
}

QString WorkingTables::indexCausaliLinguaText()
{
    return indexText(QStringLiteral("#CI99_DESLINGUA"), QStringLiteral("CI99_IDPROV"));
}

QStringList WorkingTables::preparationTexts(const QString &codLingua)
{
    return {createSezionaliText(),     fillSezionaliText(),
            indexSezionaliText(),      createRicText(),
            fillRicText(),             indexRicText(),
            createSviluppoText(),      fillSviluppoText(),
            indexSviluppoText(),       createCausaliLinguaText(),
            fillCausaliLinguaText(codLingua), indexCausaliLinguaText()};
}

// Every statement about one reason code (satellite loading, deletion, the save's copies back to
// the stored tables) selects a working table's rows by code: without an index each of them
// reads the whole table, and saving one code would cost more the more codes the database holds.
// The index is built once the table is filled, which is cheaper than keeping it during the fill.
void WorkingTables::prepare(bool *flag, const QString &createText,
                            std::unique_ptr<ado::Command> &fill, const QString &fillText,
                            const QString &indexText)
{
    if (flag && *flag)
        return;
    ado::Connection &connection = connectionOf(m_state);
    connection.Execute(createText, nullptr, ado::adCmdTextNoRecords);
    if (!fill) {
        auto command = std::make_unique<ado::Command>();
        command->setActiveConnection(&connection);
        command->setCommandType(ado::adCmdText);
        command->setCommandText(fillText);
        command->setPrepared(true);
        fill = std::move(command);
    }
    fill->Execute();
    connection.Execute(indexText, nullptr, ado::adCmdTextNoRecords);
    if (flag)
        *flag = true;
}

void WorkingTables::PreparazioneTabellaSezionali()
{
    ado::passUp(QStringLiteral("PreparazioneTabellaSezionali"), [&] {
        prepare(&m_state.prepareFlags.sezionali, createSezionaliText(), m_fillSezionali,
                fillSezionaliText(), indexSezionaliText());
    });
}

void WorkingTables::PreparazioneTabellaRic()
{
    ado::passUp(QStringLiteral("PreparazioneTabellaRic"), [&] {
        prepare(&m_state.prepareFlags.ricerca, createRicText(), m_fillRic, fillRicText(),
                indexRicText());
    });
}

void WorkingTables::PreparazioneTabellaSviluppo()
{
    ado::passUp(QStringLiteral("PreparazioneTabellaSviluppo"), [&] {
        prepare(&m_state.prepareFlags.sviluppo, createSviluppoText(), m_fillSviluppo,
                fillSviluppoText(), indexSviluppoText());
    });
}

void WorkingTables::PreparazioneTabellaCausaliLingua()
{
    ado::passUp(QStringLiteral("PreparazioneTabellaCausaliLingua"), [&] {
        // The fill embeds the language code: rebuilt on every call.
        m_fillCausaliLingua.reset();
        prepare(nullptr, createCausaliLinguaText(), m_fillCausaliLingua,
                fillCausaliLinguaText(m_state.CodLingua), indexCausaliLinguaText());
    });
}

void WorkingTables::dropTabellaCausaliLingua()
{
    connectionOf(m_state).Execute(dropCausaliLinguaText(), nullptr, ado::adCmdText);
}

} // namespace causali
