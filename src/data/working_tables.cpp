#include "data/working_tables.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
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

const QStringList SezionaliColumns{
    QStringLiteral("CI05_DITTA_CG18"), QStringLiteral("CI05_CAUSALE_CI03"),
    QStringLiteral("CI05_SEZIONALE_CG68"), QStringLiteral("DESCR_DITTA"),
    QStringLiteral("DESCR_SEZIONALE")};

const QStringList RicColumns{QStringLiteral("CI06_CAUSALE_CI03"), QStringLiteral("CI06_INDSEGNO"),
                             QStringLiteral("CI06_INDTIPORIGA"),
                             QStringLiteral("CI06_PROVIDER_CI07"),
                             QStringLiteral("CI06_PROGRESSIVO")};

const QStringList SviluppoColumns{QStringLiteral("CAUSALE"), QStringLiteral("PROG"),
                                  QStringLiteral("SEGNO"),   QStringLiteral("PERCENTUALE"),
                                  QStringLiteral("PDC"),     QStringLiteral("CONTO"),
                                  QStringLiteral("PDCVDS"),  QStringLiteral("VDS"),
                                  QStringLiteral("AVERE"),   QStringLiteral("DARE")};

const QStringList LinguaColumns{QStringLiteral("CI99_CODLINGUA_MG52"),
                                QStringLiteral("CI99_PROVID_FW4A"), QStringLiteral("CI99_IDPROV"),
                                QStringLiteral("CI99_DESCRIZIONE")};

} // namespace

WorkingTables::WorkingTables(WindowState &state) : m_state(state) {}

WorkingTables::~WorkingTables() = default;

QString WorkingTables::createSezionaliText()
{
    return createText(
        QStringLiteral("#SEZIONALI"),
        {
            QStringLiteral("CI05_DITTA_CG18 DECIMAL(5) NOT NULL"),
            QStringLiteral("CI05_CAUSALE_CI03 NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL"),
            QStringLiteral("CI05_SEZIONALE_CG68 NCHAR(2) COLLATE DATABASE_DEFAULT NULL"),
            QStringLiteral("DESCR_DITTA NVARCHAR(60) COLLATE DATABASE_DEFAULT NULL"),
            QStringLiteral("DESCR_SEZIONALE NVARCHAR(40) COLLATE DATABASE_DEFAULT NULL"),
        });
}

QString WorkingTables::createRicText()
{
    return createText(
        QStringLiteral("#CI06_RICERCACONTO"),
        {
            QStringLiteral("CI06_CAUSALE_CI03 NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL"),
            QStringLiteral("CI06_INDSEGNO TINYINT NOT NULL"),
            QStringLiteral("CI06_INDTIPORIGA SMALLINT NOT NULL"),
            QStringLiteral("CI06_PROVIDER_CI07 SMALLINT NOT NULL"),
            QStringLiteral("CI06_PROGRESSIVO TINYINT NOT NULL"),
        });
}

QString WorkingTables::createSviluppoText()
{
    return createText(QStringLiteral("#SVILUPPO"),
                      {
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
    return createText(
        QStringLiteral("#CI99_DESLINGUA"),
        {
            QStringLiteral("CI99_CODLINGUA_MG52 CHAR(4) COLLATE DATABASE_DEFAULT NOT NULL"),
            QStringLiteral("CI99_PROVID_FW4A DECIMAL(4) NOT NULL"),
            QStringLiteral("CI99_IDPROV DECIMAL(18, 0) NOT NULL"),
            QStringLiteral("CI99_DESCRIZIONE NVARCHAR(512) NOT NULL"),
        });
}

QString WorkingTables::fillSezionaliText()
{
    QStringList parts = sql::insertSelect(
        QStringLiteral("#SEZIONALI"), SezionaliColumns,
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
          << QStringLiteral("    AND CI05_SEZIONALE_CG68 = CG68_SEZIONALE")
          << QStringLiteral("WHERE") << QStringLiteral("    CI05_CAUSALE_CI03 = ?");
    return sql::lines(parts);
}

QString WorkingTables::fillRicText()
{
    QStringList parts = sql::insertSelect(QStringLiteral("#CI06_RICERCACONTO"), RicColumns,
                                          RicColumns);
    parts << QStringLiteral("FROM") << QStringLiteral("    CI06_RICERCACONTO")
          << QStringLiteral("WHERE") << QStringLiteral("    CI06_CAUSALE_CI03 = ?")
          << QStringLiteral(" ORDER BY") << QStringLiteral("    CI06_CAUSALE_CI03 ASC")
          << QStringLiteral("    , CI06_INDSEGNO ASC")
          << QStringLiteral("    , CI06_INDTIPORIGA ASC")
          << QStringLiteral("    , CI06_PROGRESSIVO ASC");
    return sql::lines(parts);
}

QString WorkingTables::fillSviluppoText()
{
    QStringList parts{QStringLiteral("INSERT INTO #SVILUPPO"), QStringLiteral("(")};
    parts << sql::columnLines(SviluppoColumns) << QStringLiteral(")");
    parts << QStringLiteral("SELECT") << QStringLiteral("    CI10_CODCAUS_CI03")
          << QStringLiteral("    , CI10_PROG") << QStringLiteral("    , CI10_INDSEGNO")
          << QStringLiteral("    , CI10_PERC") << QStringLiteral("    , CI10_PDCCONTO_PC01")
          << QStringLiteral("    , CI10_CONTO_PC03")
          << QStringLiteral("    , ISNULL(CI10_PDCVDS_PC01, -1)")
          << QStringLiteral("    , CI10_VDS_PC03") << QStringLiteral("    , CASE CI10_INDSEGNO")
          << QStringLiteral("WHEN 2 THEN CI10_CONTO_PC03") << QStringLiteral("ELSE NULL")
          << QStringLiteral("END") << QStringLiteral("    , CASE CI10_INDSEGNO")
          << QStringLiteral("WHEN 1 THEN CI10_CONTO_PC03") << QStringLiteral("ELSE NULL")
          << QStringLiteral("END") << QStringLiteral("FROM")
          << QStringLiteral("    CI10_PROPCONTICAUS") << QStringLiteral("WHERE")
          << QStringLiteral("    CI10_CODCAUS_CI03 = ?") << QStringLiteral("ORDER BY")
          << QStringLiteral("    CI10_CODCAUS_CI03 ASC") << QStringLiteral("    , CI10_PROG ASC");
    return sql::lines(parts);
}

QString WorkingTables::fillCausaliLinguaText(const QString &codLingua, const QVariant &idProv)
{
    QStringList parts = sql::insertSelect(QStringLiteral("#CI99_DESLINGUA"), LinguaColumns,
                                          LinguaColumns);
    parts << QStringLiteral("FROM") << QStringLiteral("    CI99_DESLINGUA")
          << QStringLiteral("WHERE") << QStringLiteral("    CI99_PROVID_FW4A = 903")
          << QStringLiteral("    AND CI99_CODLINGUA_MG52 = ") + sql::quoted(codLingua)
          << QStringLiteral("    AND CI99_IDPROV = ")
                 + sql::number(idProv, QStringLiteral("CI03_IDPROV"));
    return sql::lines(parts);
}

QString WorkingTables::emptyText(const QString &table)
{
    return QStringLiteral("DELETE ") + table;
}

QString WorkingTables::dropText(const QString &table)
{
    return sql::lines({QStringLiteral("IF OBJECT_ID(N'tempdb..%1', N'U') IS NOT NULL").arg(table),
                       QStringLiteral("   DROP TABLE %1 ").arg(table)});
}

QString WorkingTables::dropCausaliLinguaText()
{
    return dropText(QStringLiteral("#CI99_DESLINGUA"));
}

QString WorkingTables::deleteRicRowsText(const QString &code)
{
    return sql::withCausale(
        sql::lines({QStringLiteral("DELETE #CI06_RICERCACONTO"), QStringLiteral("WHERE"),
                    QStringLiteral("    CI06_CAUSALE_CI03 = @CAUSALE")}),
        code);
}

QString WorkingTables::deleteSviluppoRowsText(const QString &code)
{
    return sql::withCausale(sql::lines({QStringLiteral("DELETE #SVILUPPO"), QStringLiteral("WHERE"),
                                        QStringLiteral("    CAUSALE = @CAUSALE")}),
                            code);
}

QString WorkingTables::deleteSezionaliRowsText(const QString &code)
{
    return sql::withCausale(
        sql::lines({QStringLiteral("DELETE #SEZIONALI"), QStringLiteral("WHERE"),
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

QStringList WorkingTables::preparationTexts()
{
    return {createSezionaliText(),     indexSezionaliText(),
            createRicText(),           indexRicText(),
            createSviluppoText(),      indexSviluppoText(),
            createCausaliLinguaText(), indexCausaliLinguaText()};
}

QStringList WorkingTables::loadingTexts(const QString &code, const QString &codLingua,
                                        const QVariant &idProv)
{
    const auto withCode = [&](QString text) {
        return text.replace(QLatin1Char('?'), sql::quoted(code));
    };
    QStringList texts{
        emptyText(QStringLiteral("#SEZIONALI")),         withCode(fillSezionaliText()),
        emptyText(QStringLiteral("#CI06_RICERCACONTO")), withCode(fillRicText()),
        emptyText(QStringLiteral("#SVILUPPO")),          withCode(fillSviluppoText()),
        emptyText(QStringLiteral("#CI99_DESLINGUA"))};
    if (!ado::NormalizzaStringa(idProv).isEmpty())
        texts << fillCausaliLinguaText(codLingua, idProv);
    return texts;
}

// The tables are created empty, with an index over the columns that select one reason code's
// rows; a code's rows come in when the code is shown (loadWorkingCopy), so the window's
// start-up does not depend on how many codes the database holds.
void WorkingTables::prepare(bool *flag, const QString &createText, const QString &indexText)
{
    if (flag && *flag)
        return;
    ado::Connection &connection = connectionOf(m_state);
    connection.Execute(createText, nullptr, ado::adCmdTextNoRecords);
    connection.Execute(indexText, nullptr, ado::adCmdTextNoRecords);
    if (flag)
        *flag = true;
}

void WorkingTables::PreparazioneTabellaSezionali()
{
    ado::passUp(QStringLiteral("PreparazioneTabellaSezionali"), [&] {
        prepare(&m_state.prepareFlags.sezionali, createSezionaliText(), indexSezionaliText());
    });
}

void WorkingTables::PreparazioneTabellaRic()
{
    ado::passUp(QStringLiteral("PreparazioneTabellaRic"),
                [&] { prepare(&m_state.prepareFlags.ricerca, createRicText(), indexRicText()); });
}

void WorkingTables::PreparazioneTabellaSviluppo()
{
    ado::passUp(QStringLiteral("PreparazioneTabellaSviluppo"), [&] {
        prepare(&m_state.prepareFlags.sviluppo, createSviluppoText(), indexSviluppoText());
    });
}

void WorkingTables::PreparazioneTabellaCausaliLingua()
{
    ado::passUp(QStringLiteral("PreparazioneTabellaCausaliLingua"), [&] {
        prepare(nullptr, createCausaliLinguaText(), indexCausaliLinguaText());
        m_linguaPrepared = true;
        fillCausaliLingua();
    });
}

// The descriptions of the code shown, in the window's language (the text embeds both).
void WorkingTables::fillCausaliLingua()
{
    if (ado::NormalizzaStringa(m_loadedIdProv).isEmpty())
        return;
    connectionOf(m_state).Execute(fillCausaliLinguaText(m_state.CodLingua, m_loadedIdProv), nullptr,
                                  ado::adCmdTextNoRecords);
}

void WorkingTables::fill(std::unique_ptr<ado::Command> &slot, const QString &text,
                         const QString &code)
{
    ado::Command &command = preparedCommand(slot, m_state, text, [](ado::Command &c) {
        c.setCommandType(ado::adCmdText);
        c.parameters().Append(
            c.CreateParameter(QStringLiteral("@CAUSALE"), ado::adWChar, ado::adParamInput, 4));
    });
    command.parameters()[QStringLiteral("@CAUSALE")].Value = code;
    command.Execute(nullptr, ado::adCmdTextNoRecords);
}

void WorkingTables::loadWorkingCopy(const QString &code, const QVariant &idProv)
{
    ado::passUp(QStringLiteral("loadWorkingCopy"), [&] {
        ado::Connection &connection = connectionOf(m_state);
        const auto empty = [&](const char *table) {
            connection.Execute(emptyText(QString::fromLatin1(table)), nullptr,
                               ado::adCmdTextNoRecords);
        };
        m_loadedIdProv = idProv;
        if (m_state.prepareFlags.sezionali) {
            empty("#SEZIONALI");
            fill(m_fillSezionali, fillSezionaliText(), code);
        }
        if (m_state.prepareFlags.ricerca) {
            empty("#CI06_RICERCACONTO");
            fill(m_fillRic, fillRicText(), code);
        }
        if (m_state.prepareFlags.sviluppo) {
            empty("#SVILUPPO");
            fill(m_fillSviluppo, fillSviluppoText(), code);
        }
        if (m_linguaPrepared) {
            empty("#CI99_DESLINGUA");
            fillCausaliLingua();
        }
    });
}

void WorkingTables::dropTabellaCausaliLingua()
{
    connectionOf(m_state).Execute(dropCausaliLinguaText(), nullptr, ado::adCmdText);
    m_linguaPrepared = false;
}

} // namespace causali
