#include "data/lookups.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"
#include "data/window_state.h"

namespace causali {

namespace {

bool isOpen(const std::unique_ptr<ado::Recordset> &rs)
{
    return rs && rs->State() == ado::adStateOpen;
}

// First field of the current row, right-trimmed; "" when there is no current row.
QString firstFieldText(const std::unique_ptr<ado::Recordset> &rs)
{
    if (!isOpen(rs) || rs->isBOF() || rs->isEOF())
        return QString();
    return ado::NormalizzaStringa(rs->Fields(0).Value());
}

// VB's ValueOrDefault(value, "") = "": Empty, Null or an empty text.
bool isBlankArgument(const QVariant &value)
{
    return ado::isMissing(value)
           || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

// The usage check over one table: " SELECT", "   COUNT(*) ...", ... with the code quoted.
QString countText(const QString &countLine, const QString &fromLine, const QString &table,
                  const QString &column, const QString &code)
{
    return sql::lines({QStringLiteral(" SELECT"), countLine, fromLine,
                       QStringLiteral("   ") + table, QStringLiteral(" WHERE"),
                       QStringLiteral("   ") + column + QStringLiteral(" = ") + sql::quoted(code)});
}

bool countIsNotZero(ado::Connection &connection, const QString &text, const QString &field)
{
    auto rs = connection.Execute(text, nullptr, ado::adCmdText);
    const bool used = ado::CDbl(rs->Fields(field).Value()) != 0;
    rs->Close();
    return used;
}

// MG36_DOCUMENTI or MG3G_DOCDITTA (prefix "MG36" / "MG3G").
QString stockUsageText(const QString &prefix, const QString &table, const QString &code)
{
    return countText(QStringLiteral("   COUNT(*)    AS NUMERODOCCOLLEGATI"),
                     QStringLiteral(" FROM  "), table, prefix + QStringLiteral("_CAUSALEKOVA_CI03"),
                     code);
}

} // namespace

Lookups::Lookups(WindowState &state, const HeaderView &header,
                 ProcedureErrorReporter reportProcedureError)
    : m_state(state), m_header(header), m_report(std::move(reportProcedureError))
{}

Lookups::~Lookups() = default;

// ----- prepared commands -----

QString Lookups::fieldDescriptionText()
{
    return sql::lines({QStringLiteral("SELECT"), QStringLiteral("    CI48_DESCRIZIONE"),
                       QStringLiteral("FROM"), QStringLiteral("    CI48_CAMPO"),
                       QStringLiteral("WHERE"), QStringLiteral("    CI48_CAMPO = ?")});
}

QString Lookups::providerDescriptionText()
{
    return sql::lines({QStringLiteral("SELECT"), QStringLiteral("    CI07_DESCRIZIONE"),
                       QStringLiteral("FROM"), QStringLiteral("    CI07_PROVCONTO"),
                       QStringLiteral("WHERE"), QStringLiteral("    CI07_PROVIDER = ?")});
}

QString Lookups::companyDescriptionText()
{
    return sql::lines({QStringLiteral("SELECT"), QStringLiteral("    CG16_RAGSOANAG"),
                       QStringLiteral("FROM"), QStringLiteral("    CG18_ANADITTABASE"),
                       QStringLiteral("    INNER JOIN"), QStringLiteral("    CG16_ANAGGEN"),
                       QStringLiteral("    ON"),
                       QStringLiteral("    CG18_CODICE_CG16 = CG16_CODICE"),
                       QStringLiteral("WHERE"), QStringLiteral("    CG18_DITTA = ?")});
}

ado::Command &Lookups::CmdDescrizioneCampo()
{
    // No command type is set on this one.
    return preparedCommand(m_cmdCampo, m_state, fieldDescriptionText(), [](ado::Command &c) {
        c.parameters().Append(
            c.CreateParameter(QStringLiteral("CAMPO"), ado::adSmallInt, ado::adParamInput, 0));
    });
}

ado::Command &Lookups::CmdDescrizioneProvider()
{
    return preparedCommand(m_cmdProvider, m_state, providerDescriptionText(), [](ado::Command &c) {
        c.setCommandType(ado::adCmdText);
        c.parameters().Append(
            c.CreateParameter(QStringLiteral("@PROVIDER"), ado::adSmallInt, ado::adParamInput, 0));
    });
}

ado::Command &Lookups::CmdDescrizioneDitta()
{
    return preparedCommand(m_cmdDitta, m_state, companyDescriptionText(), [](ado::Command &c) {
        c.setCommandType(ado::adCmdText);
        auto p = c.CreateParameter(QStringLiteral("@DITTA"), ado::adNumeric, ado::adParamInput, 0);
        p->Precision = 5;
        p->NumericScale = 0;
        c.parameters().Append(std::move(p));
    });
}

// ----- cached descriptions -----

QString Lookups::cachedDescription(const QString &label, QHash<QString, QString> &cache,
                                   const QString &key,
                                   const std::function<std::unique_ptr<ado::Recordset>()> &query)
{
    return ado::passUp(label, [&] {
        const auto found = cache.constFind(key);
        if (found != cache.constEnd())
            return *found;
        const QString description = firstFieldText(query());
        cache.insert(key, description);
        return description;
    });
}

QString Lookups::DescrizioneProvider(qint16 provider)
{
    const QString key = QLatin1Char('*') + QString::number(provider) + QLatin1Char('*');
    return cachedDescription(QStringLiteral("DescrizioneProvider"), m_providerCache, key, [&] {
        ado::Command &cmd = CmdDescrizioneProvider();
        cmd.parameters()[QStringLiteral("@PROVIDER")].Value = provider;
        return cmd.Execute();
    });
}

QString Lookups::DescrizioneDitta(qint16 ditta)
{
    const QString key = QLatin1Char('*') + QString::number(ditta) + QLatin1Char('*');
    return cachedDescription(QStringLiteral("DescrizioneDitta"), m_dittaCache, key, [&] {
        ado::Command &cmd = CmdDescrizioneDitta();
        cmd.parameters()[QStringLiteral("@DITTA")].Value = ditta;
        return cmd.Execute();
    });
}

QString Lookups::journalDescriptionText(qint16 ditta, const QString &sezionale)
{
    QString text = QStringLiteral("SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC(<CODICE>, <DITTA> )");
    text.replace(QLatin1String("<CODICE>"), sql::quoted(sezionale));
    text.replace(QLatin1String("<DITTA>"), QString::number(ditta));
    return text;
}

QString Lookups::DescrizioneSezionale(qint16 ditta, const QString &sezionale)
{
    const QString key = QLatin1Char('*') + QString::number(ditta) + QLatin1Char('*') + sezionale
                        + QLatin1Char('*');
    return cachedDescription(QStringLiteral("DescrizioneSezionale"), m_sezionaleCache, key, [&] {
        return connectionOf(m_state).Execute(journalDescriptionText(ditta, sezionale), nullptr,
                                             ado::adCmdText);
    });
}

QString Lookups::GetDescrizioneCampo(const QString &fstrCodice)
{
    const QString key = QLatin1Char('*') + ado::NormalizzaStringa(fstrCodice) + QLatin1Char('*');
    return cachedDescription(QStringLiteral("GetDescrizioneCampo"), m_campoCache, key, [&] {
        ado::Command &cmd = CmdDescrizioneCampo();
        // The code text goes to the small-integer parameter unchanged.
        cmd.parameters()[QStringLiteral("CAMPO")].Value = fstrCodice;
        return cmd.Execute();
    });
}

// ----- descriptions reported through the host -----

int Lookups::report(const QString &procedure, const ado::RuntimeError &error) const
{
    if (!m_report) {
        ado::RuntimeError raised = error;
        raised.setSource(ado::chainSource(procedure, error.source()));
        throw raised;
    }
    return m_report(procedure, error);
}

QString Lookups::pdcDescriptionText(const QVariant &code)
{
    return QStringLiteral(" SELECT  PC01_DESCR                  ") + sql::crlf
           + QStringLiteral(" FROM    PC01_DESCRPDC WITH(NOLOCK)  ") + sql::crlf
           + QStringLiteral(" WHERE   PC01_CODICE = ")
           + sql::number(code, QStringLiteral("PC01_CODICE")) + sql::crlf;
}

QString Lookups::GetDescrizionePdc(const QVariant &code)
{
    QString result;
    if (isBlankArgument(code))
        return result;
    std::unique_ptr<ado::Recordset> rs;
    const QString name = QStringLiteral("GetDescrizionePdc");
    ado::runSteps([&](const ado::RuntimeError &e) { return report(name, e); },
                  {
                      [&] {
                          rs = connectionOf(m_state).Execute(pdcDescriptionText(code), nullptr,
                                                             ado::adCmdText);
                      },
                      [&] {
                          if (isOpen(rs) && rs->RecordCount() > 0)
                              result = ado::CStr(ado::ValueOrDefault(
                                  rs->Fields(QStringLiteral("PC01_DESCR")).Value(), QString()));
                      },
                      [&] { rs.reset(); },
                  });
    return result;
}

QString Lookups::lastProgressivoText(const QString &code)
{
    return sql::lines({QStringLiteral(" SELECT   TOP 1 (CI10_PROG)                  "),
                       QStringLiteral(" FROM     CI10_PROPCONTICAUS  WITH (NOLOCK)  "),
                       QStringLiteral(" WHERE    CI10_CODCAUS_CI03 = ") + sql::quoted(code),
                       QStringLiteral(" ORDER BY CI10_PROG DESC                     ")});
}

qint16 Lookups::GetLastProgressivoPerCausale(const QVariant &code)
{
    qint16 result = 1;
    if (isBlankArgument(code))
        return result;
    std::unique_ptr<ado::Recordset> rs;
    const QString name = QStringLiteral("GetLastProgressivoPerCausale");
    ado::runSteps([&](const ado::RuntimeError &e) { return report(name, e); },
                  {
                      [&] {
                          rs = connectionOf(m_state).Execute(lastProgressivoText(ado::CStr(code)),
                                                             nullptr, ado::adCmdText);
                      },
                      [&] {
                          if (isOpen(rs) && rs->RecordCount() > 0)
                              result = ado::CInt(ado::ValueOrDefault(
                                  rs->Fields(QStringLiteral("CI10_PROG")).Value(), QString()));
                      },
                      [&] { rs.reset(); },
                  });
    return result;
}

// ----- usage checks -----

bool Lookups::cachedUsage(const QString &label, QHash<QString, bool> &cache,
                          const std::function<bool(ado::Connection &, const QString &)> &query)
{
    return ado::passUp(label, [&] {
        const QString code = codiceCausale(m_header);
        if (code.isEmpty())
            return false;
        const QString key = QLatin1Char('|') + code + QLatin1Char('|');
        const auto found = cache.constFind(key);
        if (found != cache.constEnd())
            return *found;
        const bool used = query(connectionOf(m_state), code);
        cache.insert(key, used);
        return used;
    });
}

QString Lookups::stockDocumentUsageText(const QString &code)
{
    return stockUsageText(QStringLiteral("MG36"), QStringLiteral("MG36_DOCUMENTI"), code);
}

QString Lookups::companyStockDocumentUsageText(const QString &code)
{
    return stockUsageText(QStringLiteral("MG3G"), QStringLiteral("MG3G_DOCDITTA"), code);
}

// The production tables, by prefix and name, in the order the production check reads them.
constexpr const char *ProductionTables[][3] = {
    {"PD04", "PD04_QUALIFICHE", "Qualifiche"},     {"PD06", "PD06_DIPENDENTI", "Dipendenti"},
    {"PD07", "PD07_REPARTO", "Reparti"},           {"PD08", "PD08_MACCHINA", "Macchine"},
    {"PD12", "PD12_FASILAVORO", "Fasi di lavoro"}, {"PD25", "PD25_COMMESSA", "Commesse"},
    {"PD26", "PD26_ATTREZZI", "Attrezzi"},         {"PD56", "PD56_ANAGKIT", "Kit"},
    {"PD68", "PD68_PROGETTI", "Progetti"},         {"PD69", "PD69_SOTTOPROGETTI", "Sottoprogetti"}};

QString Lookups::productionUsageText(const QString &code)
{
    QStringList parts;
    for (const auto &t : ProductionTables) {
        const QString column = QLatin1String(t[0]) + QStringLiteral("_CODCAUS_CI03");
        if (!parts.isEmpty())
            parts << QStringLiteral(" UNION");
        parts << QStringLiteral(" SELECT DISTINCT") << QStringLiteral("   ") + column
              << QStringLiteral(" FROM") << QStringLiteral("   ") + QLatin1String(t[1])
              << QStringLiteral(" WHERE")
              << QStringLiteral("   ") + column + QStringLiteral(" = ") + sql::quoted(code);
    }
    return sql::lines(parts);
}

const QList<Lookups::UsageTable> &Lookups::usageTables()
{
    static const QList<UsageTable> tables = [] {
        QList<UsageTable> all{
            {QStringLiteral("MG36_DOCUMENTI"), QStringLiteral("MG36_CAUSALEKOVA_CI03"),
             QStringLiteral("Documenti di magazzino")},
            {QStringLiteral("MG3G_DOCDITTA"), QStringLiteral("MG3G_CAUSALEKOVA_CI03"),
             QStringLiteral("Documenti di magazzino della ditta")}};
        for (const auto &t : ProductionTables)
            all.append({QLatin1String(t[1]), QLatin1String(t[0]) + QStringLiteral("_CODCAUS_CI03"),
                        QStringLiteral("Produzione: ") + QString::fromUtf8(t[2])});
        all.append({QStringLiteral("CI50_ANAGRIB"), QStringLiteral("CI50_CAUSALE_CI03"),
                    QStringLiteral("Ribaltamenti dei costi")});
        return all;
    }();
    return tables;
}

QString Lookups::usageCountText(const UsageTable &usage, const QString &code)
{
    return countText(QStringLiteral("   COUNT(*) AS NUMERORIGHE"), QStringLiteral(" FROM"),
                     usage.table, usage.column, code);
}

QString Lookups::usageRowsText(const UsageTable &usage, const QString &code, int rows)
{
    return sql::lines(
        {QStringLiteral(" SELECT TOP ") + QString::number(qMax(rows, 1)) + QStringLiteral(" *"),
         QStringLiteral(" FROM"), QStringLiteral("   ") + usage.table, QStringLiteral(" WHERE"),
         QStringLiteral("   ") + usage.column + QStringLiteral(" = ") + sql::quoted(code)});
}

QString Lookups::reallocationUsageText(const QString &code)
{
    return countText(QStringLiteral("   COUNT(*) AS NUMERORIBCOLLEGATI"), QStringLiteral(" FROM"),
                     QStringLiteral("CI50_ANAGRIB"), QStringLiteral("CI50_CAUSALE_CI03"), code);
}

bool Lookups::IsAssociataAMagazzino()
{
    return cachedUsage(QStringLiteral("IsAssociataAMagazzino"), m_stockCache,
                       [](ado::Connection &connection, const QString &code) {
                           const QString field = QStringLiteral("NUMERODOCCOLLEGATI");
                           return countIsNotZero(connection, stockDocumentUsageText(code), field)
                                  || countIsNotZero(connection, companyStockDocumentUsageText(code),
                                                    field);
                       });
}

bool Lookups::IsAssociataAProduzione()
{
    return cachedUsage(QStringLiteral("IsAssociataAProduzione"), m_productionCache,
                       [](ado::Connection &connection, const QString &code) {
                           auto rs = connection.Execute(productionUsageText(code), nullptr,
                                                        ado::adCmdText);
                           const bool used = !rs->isEOF();
                           rs->Close();
                           return used;
                       });
}

bool Lookups::IsAssociataARibaltamento()
{
    return cachedUsage(QStringLiteral("IsAssociataARibaltamento"), m_reallocationCache,
                       [](ado::Connection &connection, const QString &code) {
                           return countIsNotZero(connection, reallocationUsageText(code),
                                                 QStringLiteral("NUMERORIBCOLLEGATI"));
                       });
}

} // namespace causali
