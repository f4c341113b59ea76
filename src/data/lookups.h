#pragma once
// Small read-only queries of the editor window: the descriptions shown next to codes (cached
// per window, so a grid that redraws asks the database once per code), the chart-of-accounts
// description, the last saved row number of a posting proposal, and the three checks that tell
// whether a reason code is used by other modules (cached per code for the window's life).

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

namespace ado {
class Command;
class Connection;
class Recordset;
class RuntimeError;
} // namespace ado

namespace causali {

class HeaderView;
struct WindowState;

// The host's error report of a procedure (ReportProcedureError): receives the procedure's
// name and the error, answers 3 (give up), 4 (retry the step) or 5 (go on with the next step).
using ProcedureErrorReporter =
    std::function<int(const QString &procedure, const ado::RuntimeError &error)>;

class Lookups
{
public:
    // Without a reporter, errors of GetDescrizionePdc and GetLastProgressivoPerCausale are
    // raised to the caller with the procedure's label.
    Lookups(WindowState &state, const HeaderView &header,
            ProcedureErrorReporter reportProcedureError = {});
    ~Lookups();
    Lookups(const Lookups &) = delete;
    Lookups &operator=(const Lookups &) = delete;

    QString DescrizioneProvider(qint16 provider);
    QString DescrizioneDitta(qint16 ditta);
    QString DescrizioneSezionale(qint16 ditta, const QString &sezionale);
    QString GetDescrizioneCampo(const QString &fstrCodice);
    QString GetDescrizionePdc(const QVariant &code);
    qint16 GetLastProgressivoPerCausale(const QVariant &code);

    // Usage of the reason code shown in TXT_CAUSALE; False for an empty code.
    bool IsAssociataAMagazzino();
    bool IsAssociataAProduzione();
    bool IsAssociataARibaltamento();

    // Prepared lookup commands, built on first use.
    ado::Command &CmdDescrizioneCampo();
    ado::Command &CmdDescrizioneProvider();
    ado::Command &CmdDescrizioneDitta();

    // ----- statement texts -----
    // The prepared lookups' texts (one parameter each).
    static QString fieldDescriptionText();
    static QString providerDescriptionText();
    static QString companyDescriptionText();
    static QString journalDescriptionText(qint16 ditta, const QString &sezionale);
    static QString pdcDescriptionText(const QVariant &code);
    static QString lastProgressivoText(const QString &code);
    // The documents (MG36_DOCUMENTI) and the company documents (MG3G_DOCDITTA) of the code.
    static QString stockDocumentUsageText(const QString &code);
    static QString companyStockDocumentUsageText(const QString &code);
    static QString productionUsageText(const QString &code);
    static QString reallocationUsageText(const QString &code);

    // A table whose rows name a reason code in one column, and what its rows are (Italian).
    struct UsageTable
    {
        QString table;
        QString column;
        QString caption;
    };
    // Every table the three usage checks read, in the order they read them: stock documents,
    // company stock documents, the ten production tables, cost reallocations.
    static const QList<UsageTable> &usageTables();
    // How many rows of the table name the code: one row, column NUMERORIGHE.
    static QString usageCountText(const UsageTable &usage, const QString &code);
    // The first `rows` rows (every column) of the table that name the code.
    static QString usageRowsText(const UsageTable &usage, const QString &code, int rows);

private:
    QString cachedDescription(const QString &label, QHash<QString, QString> &cache,
                              const QString &key,
                              const std::function<std::unique_ptr<ado::Recordset>()> &query);
    bool cachedUsage(const QString &label, QHash<QString, bool> &cache,
                     const std::function<bool(ado::Connection &, const QString &)> &query);
    int report(const QString &procedure, const ado::RuntimeError &error) const;

    WindowState &m_state;
    const HeaderView &m_header;
    ProcedureErrorReporter m_report;

    QHash<QString, QString> m_providerCache;
    QHash<QString, QString> m_dittaCache;
    QHash<QString, QString> m_sezionaleCache;
    QHash<QString, QString> m_campoCache;
    QHash<QString, bool> m_stockCache;
    QHash<QString, bool> m_productionCache;
    QHash<QString, bool> m_reallocationCache;

    std::unique_ptr<ado::Command> m_cmdCampo;
    std::unique_ptr<ado::Command> m_cmdProvider;
    std::unique_ptr<ado::Command> m_cmdDitta;
};

} // namespace causali
