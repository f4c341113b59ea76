#include "host/cost_utility.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/cinterface.h"
#include "host/dialogs.h"
#include "host/host_global.h"

namespace host {

void CostUtility::Initialize()
{
    m_initialized = true;
}

ado::Connection &CostUtility::requireConnection(const QString &source) const
{
    if (!m_connection)
        ado::raise(ado::adErrObjectClosed,
                   QStringLiteral("Il modulo di contabilità analitica non ha una connessione al "
                                  "database"),
                   source);
    return *m_connection;
}

QVariant CostUtility::companySetting(int company, const QString &column,
                                     const QString &source) const
{
    return ado::passUp(source, [&] {
        auto &connection = requireConnection(source);
        auto rs = connection.Execute(QStringLiteral("SELECT CG25_FLGCONIND, %1\r\n"
                                                    "FROM CG25_ANADITTAGEST WITH (NOLOCK)\r\n"
                                                    "WHERE CG25_DITTA_CG18 = %2")
                                         .arg(column)
                                         .arg(company),
                                     nullptr, ado::adCmdText);
        if (!rs || rs->isEOF())
            return QVariant();
        const bool costAccounting = ado::NormalizzaNumero(rs->Fields(0).Value())
                                    == QLatin1String("1");
        return costAccounting ? rs->Fields(1).Value() : QVariant();
    });
}

QVariant CostUtility::costChart(int company) const
{
    const QVariant chart = companySetting(company, QStringLiteral("CG25_PDCCONIND_PC01"),
                                          QStringLiteral("CostUtility.CostChart"));
    return ado::isMissing(chart) ? QVariant() : chart;
}

QVariant CostUtility::expenseItemChart(int company) const
{
    const QVariant chart = companySetting(company, QStringLiteral("CG25_PDCVDS_PC01"),
                                          QStringLiteral("CostUtility.ExpenseItemChart"));
    const QString text = ado::NormalizzaNumero(chart);
    return text == QLatin1String("0") ? QVariant(QStringLiteral("-1")) : QVariant(text);
}

int CostUtility::ShowNumberedMessage(int kind, long number, const QString &text,
                                     const QStringList &params) const
{
    int style = 0;
    switch (kind) {
    case InformationMessage:
        style = vbOKOnly | vbInformation;
        break;
    case QuestionMessage:
        style = vbYesNo | vbQuestion;
        break;
    case WarningMessage:
        style = vbOKOnly | vbExclamation;
        break;
    case ErrorMessage:
        style = vbOKOnly | vbCritical;
        break;
    default:
        ado::raise(5, QStringLiteral("Tipo di messaggio sconosciuto: %1").arg(kind),
                   QStringLiteral("CostUtility.ShowNumberedMessage"));
    }
    static const MessageDictionary standalone;
    const HostGlobal *global = m_interface ? m_interface->ClsGlobal() : nullptr;
    const MessageDictionary &dictionary = global ? *global->messageDictionary() : standalone;
    QString message = dictionary.GetText(number, params);
    if (!text.isEmpty())
        message += QLatin1Char('\n') + text;
    return dictionary.messageBox(message, style, m_applicationTitle);
}

QString CostUtility::journalKey(const QString &journal, const QString &suffix) const
{
    return ado::NormalizzaStringa(journal).toUpper() + suffix;
}

void CostUtility::Terminate()
{
    m_interface = nullptr;
    m_connection = nullptr;
}

} // namespace host
